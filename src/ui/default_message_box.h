#pragma once
// The service that shows a message box when no other is installed. Each build has exactly
// one: the toolkit's (message_box_qt.cpp) or the platform's own (win32/).

#include "ui/message_box.h"

namespace bv3::ui {

MessageBoxService& defaultMessageBoxService();

}  // namespace bv3::ui
