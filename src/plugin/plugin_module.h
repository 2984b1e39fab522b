// The plug-in library's own module, recorded by its load routine.
#pragma once
#include <windows.h>

namespace qf {

HINSTANCE PluginModule();

}  // namespace qf
