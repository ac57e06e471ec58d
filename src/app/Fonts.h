#pragma once

// The windows name Windows font faces ("楷体_GB2312", "宋体", "隶书",
// "Trebuchet MS"). Maps them onto faces that Debian ships, so Chinese text
// never shows as boxes.
void registerFontSubstitutions();
