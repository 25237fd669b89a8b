#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "cad/cad_application.h"

// Getting hold of the CAD application before a gear model is built.

namespace kelvo {

// What the user is told when no CAD application can be reached.
inline constexpr std::string_view kConnectCadFailedMessage =
    "连接AutoCAD失败！可能您的机器未安装AutoCAD2000，或者由于程序忙。";

// Shows a text to the user in a modal box titled "Kelvo" with an OK button and no icon, and
// returns once it is confirmed: the main window's ShowMessage.
using ShowMessageFn = std::function<void(const std::string& text)>;

// Points cadApp, the caller's, at a live CAD application: the running instance the user works
// in if there is one (asked for again on every call, so an instance that has ended since is not
// reused), else a newly started one. Returns false on success. When neither works, shows
// kConnectCadFailedMessage once through show_message, leaves cadApp as it was and returns
// true. Whatever the registry or a failing start throws is caught here.
bool ConnectCad(std::shared_ptr<cad::CadApplication>& cadApp, const ShowMessageFn& show_message);

}  // namespace kelvo
