#include "ijl_wrapper.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace ostrak {

namespace {

// A progressive JPEG may hold any number of scans, each a pass over the whole image; real
// textures have a handful. More than this is hostile input that would only cost time.
constexpr int kMaxScans = 256;

// The JPEG library's error exit may not return. It jumps back to the setjmp of the wrapper call
// that is running, which then reports failure. Only C frames of the library lie in between, so
// no destructor is skipped.
[[noreturn]] void Escape(j_common_ptr info) {
  std::longjmp(*static_cast<std::jmp_buf*>(info->client_data), 1);
}

// Messages would go to stderr; nobody reads them there.
void Silent(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) Escape(info);
}

}  // namespace

struct IJLWrapper::Session {
  // Each call may be made once, in order; a failed call leaves only kSpent.
  enum class Stage { kFresh, kParameters, kSpent };

  Session() {
    info.err = jpeg_std_error(&errors);
    errors.error_exit = Escape;
    errors.output_message = Silent;
    progress.progress_monitor = LimitScans;
    info.client_data = &escape;
  }
  // A value-initialised decompressor with no memory manager is a no-op to destroy, so this is
  // right whether or not creation ran or finished.
  ~Session() { jpeg_destroy_decompress(&info); }

  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  jpeg_progress_mgr progress{};
  std::jmp_buf escape;
  Stage stage = Stage::kFresh;
  JpegParameters parameters;
};

IJLWrapper::IJLWrapper() : session_(std::make_unique<Session>()) {}

IJLWrapper::~IJLWrapper() = default;

bool IJLWrapper::ReadParameters(const uint8_t* jpeg, size_t size, JpegParameters& parameters) {
  Session& s = *session_;
  if (s.stage != Session::Stage::kFresh) return false;
  s.stage = Session::Stage::kSpent;
  if (setjmp(s.escape) != 0) return false;

  jpeg_create_decompress(&s.info);
  s.info.progress = &s.progress;
  // An empty source is an error of the library (caught above), not a crash.
  jpeg_mem_src(&s.info, jpeg, static_cast<unsigned long>(size));
  if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK) return false;

  JpegParameters read;
  read.width = s.info.image_width;
  read.height = s.info.image_height;
  read.jpegChannels = static_cast<uint32_t>(s.info.num_components);
  switch (s.info.num_components) {
    case 1:
    case 3:
      s.info.out_color_space = JCS_EXT_BGR;
      read.outputChannels = 3;
      break;
    case 4:
      // Declared CMYK in and out: the library then copies the four components unchanged,
      // whatever colour transform a marker in the file claims.
      s.info.jpeg_color_space = JCS_CMYK;
      s.info.out_color_space = JCS_CMYK;
      read.outputChannels = 4;
      break;
    default:
      return false;
  }
  s.parameters = read;
  parameters = read;
  s.stage = Session::Stage::kParameters;
  return true;
}

bool IJLWrapper::ReadImage(uint8_t* pixels, size_t stride) {
  Session& s = *session_;
  if (s.stage != Session::Stage::kParameters) return false;
  s.stage = Session::Stage::kSpent;
  if (pixels == nullptr || stride < size_t{s.parameters.width} * s.parameters.outputChannels) {
    return false;
  }
  if (setjmp(s.escape) != 0) return false;

  jpeg_start_decompress(&s.info);
  // The caller sized `pixels` from the parameters: anything else would overrun it.
  if (s.info.output_width != s.parameters.width || s.info.output_height != s.parameters.height ||
      s.info.output_components != static_cast<int>(s.parameters.outputChannels)) {
    return false;
  }
  while (s.info.output_scanline < s.info.output_height) {
    JSAMPROW row = pixels + size_t{s.info.output_scanline} * stride;
    // A memory source never suspends; no progress would mean a loop without end.
    if (jpeg_read_scanlines(&s.info, &row, 1) != 1) return false;
  }
  // The rest of the stream (the end marker, then whatever follows in the buffer) is not needed:
  // destroying the decompressor abandons it.
  return true;
}

}  // namespace ostrak
