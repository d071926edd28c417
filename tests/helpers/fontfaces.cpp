// fontfaces.exe: prints, for each face name given, the face that Windows
// (Wine) gives for it, one "name=face" line each:
//   fontfaces.exe Tahoma Marlett
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    for (int i = 1; i < argc; ++i) {
        HFONT font = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, argv[i]);
        HGDIOBJ old = ::SelectObject(dc, font);
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        std::printf("%ls=%ls\n", argv[i], face);
    }
    ::DeleteDC(dc);
    return 0;
}
