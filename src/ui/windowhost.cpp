#include "ui/windowhost.h"

namespace orv::ui {
namespace {
WindowHost *g_host = nullptr;
}
WindowHost *WindowHost::instance() { return g_host; }
void WindowHost::setInstance(WindowHost *host) { g_host = host; }
} // namespace orv::ui
