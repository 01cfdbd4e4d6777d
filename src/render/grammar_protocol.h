// SPDX-License-Identifier: MIT
#pragma once

// The pipe protocol between the program and its grammar helper (src/grammar), which carries
// the Qt 5 grammar library in a process of its own. Both sides include this file; it names
// only plain constants so it compiles against Qt 5 and Qt 6 alike.
//
// Every message is a frame: a 32-bit big-endian payload length, then the payload, written
// with QDataStream at version Qt_5_15 (strings as UTF-16 with a 32-bit byte count, integers
// big-endian). Sequences are written as a quint32 count followed by the items, never as Qt
// containers, whose encoding differs between Qt 5 and 6.
//
// Requests (payload starts with a quint8 command):
//   highlight:   QString definition, QString theme, QString text
//   definitions: nothing more
//   themes:      nothing more
// Replies start with a quint8 status; an error reply carries one QString, the reason.
//   highlight:   quint32 normal colour (ARGB), quint32 count, then count runs of
//                quint32 start, quint32 length (UTF-16 units of the text), quint32 colour;
//                units no run covers have the normal colour
//   definitions: quint32 count, then per definition: QString name, QString section,
//                quint8 hidden (1 for parts other grammars include, not languages of their
//                own), quint32 count of extension patterns ("*.py"), the patterns
//   themes:      quint32 count, then the names
//
// The text is split into lines at \n, \r\n, \r, U+2028 and U+2029, as the picture splits it.

#include <cstdint>

namespace codalume::grammar_protocol {

enum Command : std::uint8_t { highlight = 1, definitions = 2, themes = 3 };
enum Status : std::uint8_t { ok = 0, failed = 1 };

// Largest frame either side accepts: a picture's 4 million UTF-16 units are 8 MB, and their
// runs at most 12 bytes per unit.
constexpr std::uint32_t maxFrameBytes = 64u * 1024u * 1024u;

}  // namespace codalume::grammar_protocol
