// Whole-file writes and chunked reads of key-map files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "scheme/KeyMapCodec.h"

namespace pelo::scheme {

// Replaces the file at path by exactly these bytes, or leaves it as it was: the bytes go to a
// temporary file beside it, are flushed, and take the file's place in one step. When the
// temporary file cannot be created, the key-map folder ".\fangan\" is created if it is missing
// and the creation is tried once more. Returns false on failure, leaving no temporary file.
bool WriteKeyMapFile(const wchar_t* path, const uint8_t* bytes, size_t size) noexcept;

enum class ReadResult { Read, NotFound, NotOpened, Failed };

// Opens path for reading and feeds the decoder until it needs no more bytes or the file ends.
// NotFound: neither the file nor its folder is there; NotOpened: something is there but it could
// not be opened (locked by another program, access denied, a folder); Failed: a read failed
// part way.
ReadResult ReadKeyMapFile(const wchar_t* path, KeyMapFileDecoder& decoder) noexcept;

} // namespace pelo::scheme
