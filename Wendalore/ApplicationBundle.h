#pragma once

namespace wendalore {

// Tells the platform who this program is (name, identifier, version), for
// the About window and the User-Agent. Called first thing at start.
void registerApplicationBundle();

}  // namespace wendalore
