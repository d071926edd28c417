// Clipboard data shared by both programs: one record line in a private
// format (a movable block of the line's UTF-16 units and a 0 unit), and the
// file list that the shell puts on the clipboard when files are copied.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "sysutils.h"

// The record line in a block of byteCount bytes: the UTF-16 units up to the
// first 0 unit, never past the block, and cut at the first line break (a
// record is one line of a settings file). Empty for a null block.
UnicodeString ClipboardRecordText(const void* block, size_t byteCount);

// The last file name of a file list, read whole (its length asked first);
// false when the list names no file.
bool LastDroppedFile(HDROP drop, UnicodeString& name);

// Puts line with its 0 unit on the clipboard under format, the clipboard
// opened with owner. The block is made before the clipboard is touched, so
// a failure to make it leaves the clipboard as it was; a block that the
// clipboard does not take is freed again. Returns the block handed over
// (it belongs to the clipboard now), or null when nothing was handed over.
HGLOBAL PutClipboardLine(HWND owner, UINT format, const UnicodeString& line);

// With the clipboard open: the record line of the format's block (see
// ClipboardRecordText). False when there is no such block or it cannot be
// read.
bool ReadClipboardLine(UINT format, UnicodeString& line);
