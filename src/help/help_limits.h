#pragma once

#include <cstddef>
#include <cstdint>

namespace mnemora {

// What one help file may cost the help viewer. Our own help file is about
// 200 KB, its pages a few kilobytes and its pictures under 100 KB; every
// bound below is tens of times that, and small enough that the worst file
// within all of them keeps the viewer under a few hundred megabytes and each
// step under about a second. Anything beyond a bound is refused on its own
// (one page, one picture), never by ending the viewer.

// The whole file is read into memory once: no FIFO or device, no file that
// changes under the reader.
inline constexpr std::size_t kMaxHelpFileBytes = std::size_t{32} << 20;

// The directory of the archive (its listing chunks). 1 MiB holds some
// 20,000 names; a larger one would cost the index tens of megabytes.
inline constexpr std::size_t kMaxHelpDirectoryBytes = std::size_t{1} << 20;

// Memory the decompressor may take for itself (its window, the directory
// entries, its tables).
inline constexpr std::size_t kMaxDecompressorHeap = std::size_t{64} << 20;

// One object read out of the archive, whatever it is.
inline constexpr std::size_t kMaxHelpObjectBytes = std::size_t{16} << 20;

// How far into the compressed stream an object may start and end. The
// decompressor has to unpack everything from the nearest reset point before
// the object, so this bounds the work of one read (well under a second).
inline constexpr std::int64_t kMaxCompressedReach = std::int64_t{64} << 20;

// One page. Laying a page out costs the text view some forty times its size
// in memory, and time that grows faster than the page in several ways:
// doubling with each table nested in a table, with the square of a word that
// never breaks, and without end once the page is tens of millions of pixels
// tall (huge margins, sizes or spans). Measured on the view itself, a page
// pushed to any one of these bounds lays out in under two seconds; our
// own pages are under 10 KB, with at most 339 tags, tables one deep, no
// spans and no pictures.
inline constexpr std::size_t kMaxPageBytes = std::size_t{256} << 10;
inline constexpr std::size_t kMaxPageTags = 5000;
inline constexpr std::size_t kMaxPageImages = 256;
// Blocks (tables, lists, quotes, divisions) inside each other, and among
// them tables inside tables.
inline constexpr int kMaxPageNesting = 16;
inline constexpr int kMaxTableNesting = 2;
// Text with no space in it, in bytes.
inline constexpr std::size_t kMaxUnbrokenText = 4096;
// Any length a page or style sheet gives (a width, a margin, a font size),
// in pixels or the like ("em" and a bare line height count 16 pixels, "%"
// counts as itself), and the rows or columns one table cell may span (the
// layout's work grows with the square of a span).
inline constexpr double kMaxLayoutLength = 1000;
inline constexpr int kMaxCellSpan = 8;

// One picture: its bytes, each side, and its pixels once decoded (4 bytes a
// pixel: 16 Mpx is 64 MB).
inline constexpr std::size_t kMaxImageBytes = std::size_t{4} << 20;
inline constexpr int kMaxImageSide = 8192;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{16} << 20;

// Everything one page pulls in besides itself: pictures and style sheets.
inline constexpr int kMaxPageResources = 64;
inline constexpr std::size_t kMaxPageResourceBytes = std::size_t{16} << 20;
inline constexpr std::int64_t kMaxPagePixels = std::int64_t{32} << 20;
// Time spent loading them (reading, unpacking, decoding), in milliseconds.
inline constexpr int kMaxPageResourceMillis = 3000;

// The table of contents: its bytes, how many entries and how deep the tree.
// Entries nested deeper hang at the deepest level, as siblings.
inline constexpr std::size_t kMaxContentsBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxContentsEntries = 5000;
inline constexpr int kMaxContentsDepth = 16;
// A title longer than this is cut (in bytes, at a character boundary).
inline constexpr std::size_t kMaxContentsNameBytes = 512;

}  // namespace mnemora
