#pragma once

namespace kelvo {

// What every Kelvo window process sets up once, after creating its QApplication and before its
// first window: the application's name and desktop entry, the Fusion style (the fixed layout was measured with
// its metrics, and a desktop style with larger margins would clip the captions), the stand-in
// for 宋体 and the window icon.
void SetUpKelvoApplication();

}  // namespace kelvo
