// The clipboard as another program fills and reads it, for the tests of
// the menu program's copy and paste: the "PELNOR" format of one item, file
// lists, and a window of another thread that holds the clipboard open.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace menuclip {

using Bytes = std::vector<unsigned char>;

UINT PelnorFormat();
// The item line with its 0 unit, as the menu program puts it there.
Bytes LineBytes(const std::wstring& line);
// A DROPFILES block with wide names, as the shell puts it there.
Bytes FileListBytes(const std::vector<std::wstring>& files);

// Empties the clipboard, then puts each block under its format, all in one
// opening of the clipboard (so that several formats stand side by side).
struct Block {
    UINT format;
    Bytes bytes;
};
bool Put(const std::vector<Block>& blocks);
bool Clear();
// The bytes of the block of the format and the block's size; false when none.
bool Read(UINT format, Bytes& bytes);
// Whether the format is on the clipboard.
bool Has(UINT format);

// Opens the clipboard from a window of a thread of its own and keeps it open
// until destroyed.
class Holder {
public:
    Holder();
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    bool Holding() const { return holding; }

private:
    std::thread thread;
    HANDLE opened = nullptr, release = nullptr;
    bool holding = false;
};

}  // namespace menuclip
