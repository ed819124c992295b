// The picture check on any bytes: it must never read outside them, and a
// file it passes must give, for every size a window asks for, a one-image
// file that passes it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "port/pictures/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace dlgforge::port;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dlgforge::model::FileResource resource;
  resource.name.text = "IDI_FUZZ";
  for (PictureFormat format : {PictureFormat::Icon, PictureFormat::Cursor,
                               PictureFormat::Bitmap, PictureFormat::Png}) {
    PictureCheck check = check_picture(bytes, format);
    if (!check.problem.empty()) {
      continue;
    }
    Picture picture{&resource, format, std::string(bytes), check.images,
                    "IDI_FUZZ"};
    for (int pixels : {16, 32}) {
      PictureFile file = picture_file(picture, pixels);
      PictureFormat again =
          file.name.ends_with(".png") ? PictureFormat::Png : format;
      if (!check_picture(file.bytes, again).problem.empty()) {
        std::abort();
      }
    }
  }
  return 0;
}
