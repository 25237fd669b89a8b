#pragma once

class QWidget;

namespace kelvo {

// Return or Enter on a focused push button of window clicks it, as Space does: a keyboard user
// tabs to 参数计算 and presses Enter. Every push button of the window, present or added later,
// answers so; a key that reaches the window from anywhere else (a text field, a check box)
// still does nothing, and the window has no default button.
void MakeEnterClickFocusedButtons(QWidget& window);

}  // namespace kelvo
