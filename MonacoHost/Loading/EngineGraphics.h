#pragma once

namespace monacohost {

// The web engine draws into Qt's graphics through a context shared with
// every other, which it would otherwise have the application make at start
// (and with it load the system's graphics driver, a software renderer of
// tens of MiB on machines without a GPU). Makes that shared context now,
// once, for an engine loaded after the application object exists. Main
// thread only.
void prepareEngineGraphics();

}  // namespace monacohost
