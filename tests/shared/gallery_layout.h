// What the button gallery and its test agree on: the window, and one button
// whose face the test checks on the screen.
#pragma once

namespace gallery {

constexpr const wchar_t* kClass = L"TFGallery";
// The caption the gallery takes once every button has been painted.
constexpr const wchar_t* kTitle = L"TKButton gallery";
constexpr int kClientWidth = 880, kClientHeight = 560;
// A flat 0xE8E8E8 button without caption at this place of the client area.
constexpr int kReferenceLeft = 770, kReferenceTop = 500, kReferenceWidth = 90, kReferenceHeight = 22;

}  // namespace gallery
