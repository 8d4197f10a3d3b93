/*
 * ostrak.h - the BLP texture decoder library (ParserData/libostrak.so).
 *
 * The library turns a BLP1 texture with JPEG content (object icons, map minimaps) into a bitmap.
 * This header is its manual: the bitmap record that crosses the library boundary is defined
 * here, and every export states its arguments, ownership and results.
 *
 * Loading. Programs load the library at run time by file name (dlopen of
 * <program folder>/ParserData/libostrak.so) and look the two exports up by name (dlsym). Every
 * component of a process loads the same file, so the process shares one decoder.
 *
 * Ownership and lifetime. The first successful InitBLPParser remembers its memory manager for
 * as long as the library stays loaded; later calls change nothing. Every result of ParseBlpData
 * - the cell, the BlpBitmap record and its pixels - is allocated from that manager and is never
 * released by the library: it lives until that manager frees its blocks (FreeAll or
 * destruction). The manager must therefore outlive every use of the library, and whoever empties
 * it invalidates every bitmap decoded so far. Pixels always come from the manager, never from the
 * ordinary heap: an image whose pixels do not fit one 8 MB block of the manager is refused (see
 * OSTRAK_MAX_PIXEL_BYTES); real textures are at most 512 x 512 x 4 bytes = 1 MB.
 *
 * Input. ParseBlpData receives no size. The caller copies the file into an image buffer of
 * OSTRAK_IMAGE_BUFFER_SIZE bytes (zero-filled beyond the file) and passes its start. The library
 * never reads past that buffer, whatever offsets and sizes the file states.
 *
 * Threads. The exports share one decoder and one JPEG buffer: calls must not overlap.
 */
#ifndef OSTRAK_H
#define OSTRAK_H

#include <stdbool.h>
#include <stdint.h>

#if defined(OSTRAK_BUILDING_LIBRARY)
#define OSTRAK_API __attribute__((visibility("default")))
#else
#define OSTRAK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The game data code's bump allocator (gamedata/memory_manager.h), owned by the caller. The
 * library allocates from it with its own copy of the allocator's code. */
struct TCustomMemoryManager;

/* Size of the caller's image buffer that `data` of ParseBlpData points to. */
#define OSTRAK_IMAGE_BUFFER_SIZE 524288

/* Size of the library's buffer in which the shared JPEG header and the mip-map levels are
 * joined into one JPEG stream. */
#define OSTRAK_JPEG_BUFFER_SIZE 524288

/* Largest width and largest height of an image that is decoded. */
#define OSTRAK_MAX_DIMENSION 4096

/* Largest pixel array (Stride x Height) that is decoded: one 8 MB block of the memory manager,
 * less the slack that aligning the pixels to 4 bytes may take. */
#define OSTRAK_MAX_PIXEL_BYTES (8388608 - 4)

/* A decoded image: the platform's bitmap "handle" points to one of these.
 *
 * BitsPerPixel is 32 for four-channel JPEG content (the usual BLP1 case): each pixel is the four
 * stored bytes exactly as they were stored - blue, green, red, alpha - without colour
 * conversion. It is 24 for one- and three-channel content: blue, green, red (a grey image
 * becomes three equal bytes per pixel).
 *
 * Rows are top row first, Stride bytes apart. Stride is Width x BitsPerPixel / 8 rounded up to a
 * multiple of 4, and Pixels is 4-byte aligned, so the rows can be wrapped as an image without
 * copying; padding bytes are zero. */
typedef struct BlpBitmap {
  uint32_t Width;
  uint32_t Height;
  uint32_t BitsPerPixel; /* 24 or 32 */
  uint32_t Stride;       /* bytes from the start of one row to the start of the next */
  uint8_t* Pixels;       /* Stride x Height bytes */
} BlpBitmap;

/* Sets the process's decoder up once: creates it, allocates its JPEG buffer and remembers
 * `memory` for every later result.
 *
 * Returns true when the decoder is ready. When it already exists, returns true at once and
 * ignores `memory` (the first manager stays in use). Returns false, creating nothing, when
 * `memory` is null or the JPEG buffer cannot be allocated; a later call may try again. */
OSTRAK_API bool InitBLPParser(struct TCustomMemoryManager* memory);

/* Decodes the BLP1 texture at the start of `data`, a caller's buffer of OSTRAK_IMAGE_BUFFER_SIZE
 * bytes.
 *
 * Reads the file as: "BLP1" at 0; the compression word at 4 (0 = JPEG content); five further
 * words (not used); 16 mip-map offsets at 28 and 16 mip-map sizes at 92 (0 = level absent), both
 * counted from the start of the file; the size of the shared JPEG header at 156 and the header
 * itself at 160. The header and then every present level, in order 0 to 15, are joined in the
 * JPEG buffer; the JPEG decoder stops at the end of the first image, so the first present level
 * (normally level 0, the largest) is what is decoded.
 *
 * Bounds. Every piece copied is clipped to the image buffer: a level that begins past its end is
 * skipped, one that runs past its end is cut there. Joining stops when the JPEG buffer is full;
 * the rest of the piece that filled it, and every later level, are left out. So a file whose
 * first level fits is decoded whatever its later levels claim. Damaged entropy data decodes
 * with the JPEG library's usual repair (missing data shows as grey); damaged markers give null.
 *
 * Returns a pointer to a cell holding the bitmap handle (a BlpBitmap*), allocated from the
 * remembered memory manager together with the record and its pixels (see the top of this
 * header). Nothing is taken from the manager before the image has been decoded. Returns null
 * when: InitBLPParser has not succeeded; `data` is null; the signature is not "BLP1" (a BLP0 or
 * BLP2 file, for example); the compression word is not 0 (paletted content); the joined bytes are
 * no JPEG image the decoder accepts; the image has other than 1, 3 or 4 channels; it is wider or
 * taller than OSTRAK_MAX_DIMENSION or its pixels exceed OSTRAK_MAX_PIXEL_BYTES; or the memory
 * manager fails. Never terminates the process and never lets an exception out. */
OSTRAK_API BlpBitmap** ParseBlpData(const uint8_t* data);

/* Function types of the exports, for programs that look them up with dlsym. */
typedef bool (*InitBLPParserFunc)(struct TCustomMemoryManager*);
typedef BlpBitmap** (*ParseBlpDataFunc)(const uint8_t*);

#ifdef __cplusplus
} /* extern "C" */

static_assert(OSTRAK_MAX_PIXEL_BYTES + 3 <= 8388608,
              "4-byte aligned pixels must fit one block of the memory manager");
static_assert(sizeof(BlpBitmap) == 4 * sizeof(uint32_t) + sizeof(uint8_t*),
              "both sides read the bitmap record with one layout");
#endif

#endif /* OSTRAK_H */
