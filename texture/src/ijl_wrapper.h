#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ostrak {

// What the frame header of a JPEG says, and how the wrapper will hand its pixels out.
struct JpegParameters {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t jpegChannels = 0;    // components stored in the JPEG: 1, 3 or 4
  uint32_t outputChannels = 0;  // bytes per output pixel: 3 (B, G, R) or 4 (the stored bytes)
};

// The binding to the JPEG library (libjpeg-turbo through its libjpeg API), one object per image.
// Use: ReadParameters, check the size, then ReadImage into a buffer of the caller.
//
// One and three channels come out as blue, green, red. Four channels come out exactly as stored:
// BLP1 keeps blue, green, red and alpha in a four-component JPEG, which is decoded as CMYK both
// in and out so that no colour conversion touches it. Other channel counts are refused.
//
// Errors of the JPEG library never end the process: they make the call return false, after
// which the object only refuses. Its warnings (damaged entropy data, a stream that ends early)
// are not errors: the library repairs what it can and the image is still delivered.
class IJLWrapper {
 public:
  IJLWrapper();
  IJLWrapper(const IJLWrapper&) = delete;
  IJLWrapper& operator=(const IJLWrapper&) = delete;
  ~IJLWrapper();

  // Reads the JPEG in `jpeg` (`size` bytes; the bytes must stay in place until ReadImage is done)
  // up to its first scan. False when there is no JPEG image there the library accepts, or its
  // channel count is not 1, 3 or 4.
  bool ReadParameters(const uint8_t* jpeg, size_t size, JpegParameters& parameters);

  // Decodes the image of the last successful ReadParameters into `pixels`: height rows, `stride`
  // bytes apart, each width × outputChannels bytes long (stride must be at least that). False on
  // an error of the JPEG library; `pixels` may then be partly written.
  bool ReadImage(uint8_t* pixels, size_t stride);

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace ostrak
