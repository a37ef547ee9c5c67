#pragma once

#include <QIcon>

namespace wendalore {

// The icon the program ships: its windows' icon, and the About window's
// when the bundle holds none of its own.
QIcon applicationIcon();

}  // namespace wendalore
