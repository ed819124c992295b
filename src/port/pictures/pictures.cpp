#include "port/pictures/pictures.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace dlgforge::port {
namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
// Larger pictures are not what a dialog shows; the bound also keeps every
// size computation below far from overflowing.
constexpr std::int64_t kMaxSide = 1 << 14;
// Nor larger files; the whole file is read into memory.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

std::uint32_t u16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1]))
             << 8;
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
  return u16(bytes, at) | u16(bytes, at + 2) << 16;
}

std::uint32_t u32_big(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  }
  return value;
}

std::int32_t s32(std::string_view bytes, std::size_t at) {
  return static_cast<std::int32_t>(u32(bytes, at));
}

std::uint32_t crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> made{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      made[n] = c;
    }
    return made;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (char byte : bytes) {
    c = table[(c ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

// A PNG stream: the signature, IHDR first with values the format allows,
// then chunks each whole with its checksum, at least one IDAT, up to IEND.
std::string check_png(std::string_view bytes, PictureImage& image) {
  if (bytes.substr(0, kPngSignature.size()) != kPngSignature) {
    return "it does not start as a PNG image does";
  }
  std::size_t at = kPngSignature.size();
  bool header = false, data = false;
  while (true) {
    if (bytes.size() - at < 12) {
      return "it is cut short";
    }
    std::uint32_t length = u32_big(bytes, at);
    std::string_view type = bytes.substr(at + 4, 4);
    if (length > bytes.size() - at - 12) {
      return "it is cut short";
    }
    std::string_view body = bytes.substr(at + 8, length);
    if (crc32(bytes.substr(at + 4, length + 4)) !=
        u32_big(bytes, at + 8 + length)) {
      return "a PNG chunk's checksum is wrong";
    }
    if (!header) {
      if (type != "IHDR" || length != 13) {
        return "its PNG header is missing";
      }
      std::uint32_t width = u32_big(body, 0), height = u32_big(body, 4);
      int depth = static_cast<std::uint8_t>(body[8]);
      int colour = static_cast<std::uint8_t>(body[9]);
      bool depth_fits =
          colour == 0 ? depth == 1 || depth == 2 || depth == 4 || depth == 8 ||
                            depth == 16
          : colour == 3 ? depth == 1 || depth == 2 || depth == 4 || depth == 8
          : colour == 2 || colour == 4 || colour == 6
              ? depth == 8 || depth == 16
              : false;
      if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
          !depth_fits || body[10] != 0 || body[11] != 0 ||
          static_cast<std::uint8_t>(body[12]) > 1) {
        return "its PNG header holds values no PNG image has";
      }
      image.width = static_cast<int>(width);
      image.height = static_cast<int>(height);
      image.bits = depth;
      image.png = true;
      header = true;
    } else if (type == "IDAT") {
      data = true;
    } else if (type == "IEND") {
      return data ? "" : "it holds no image data";
    } else if (type == "IHDR") {
      return "it has two PNG headers";
    }
    at += 12 + length;
  }
}

// Bytes of one row of pixels of `bits` each, padded to whole double words.
std::int64_t row_bytes(std::int64_t width, int bits) {
  return (width * bits + 31) / 32 * 4;
}

// An icon or cursor image: a DIB with a BITMAPINFOHEADER whose height
// counts the colour rows and the mask's, uncompressed, then its palette,
// its colour rows and its mask rows, all inside the entry.
std::string check_icon_dib(std::string_view bytes, PictureImage& image) {
  constexpr std::size_t kInfoHeader = 40;
  if (bytes.size() < kInfoHeader) {
    return "an image is cut short";
  }
  std::int64_t width = s32(bytes, 4), height = s32(bytes, 8);
  int bits = static_cast<int>(u16(bytes, 14));
  std::uint32_t compression = u32(bytes, 16);
  std::uint32_t colours_used = u32(bytes, 32);
  if (u32(bytes, 0) != kInfoHeader || width <= 0 || height <= 0 ||
      height % 2 != 0 || width > kMaxSide || height > 2 * kMaxSide ||
      u16(bytes, 12) != 1) {
    return "an image's header holds values no icon image has";
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    return "an image has " + std::to_string(bits) + " bits per pixel";
  }
  if (compression != 0) {
    return "an image is compressed";
  }
  height /= 2;
  // A palette of more colours than the depth has, or one for true colour,
  // is refused by the loaders.
  std::int64_t most = bits <= 8 ? std::int64_t{1} << bits : 0;
  if (colours_used > most) {
    return "an image's palette does not fit its depth";
  }
  std::int64_t palette = colours_used == 0 ? most : colours_used;
  std::int64_t needed = static_cast<std::int64_t>(kInfoHeader) + 4 * palette +
                        row_bytes(width, bits) * height +
                        row_bytes(width, 1) * height;
  if (needed > static_cast<std::int64_t>(bytes.size())) {
    return "an image is cut short";
  }
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.bits = bits;
  return "";
}

// An icon or cursor file: its directory, then each entry's image.
std::string check_icon(std::string_view bytes, PictureFormat format,
                       std::vector<PictureImage>& images) {
  if (bytes.size() < 6) {
    return "it is cut short";
  }
  std::uint32_t type = format == PictureFormat::Icon ? 1 : 2;
  std::uint32_t count = u16(bytes, 4);
  if (u16(bytes, 0) != 0 || u16(bytes, 2) != type || count == 0) {
    return format == PictureFormat::Icon ? "it is not an icon file"
                                         : "it is not a cursor file";
  }
  std::size_t directory_end = 6 + 16 * static_cast<std::size_t>(count);
  if (bytes.size() < directory_end) {
    return "it is cut short";
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    PictureImage image;
    image.size = u32(bytes, entry + 8);
    image.offset = u32(bytes, entry + 12);
    if (image.offset < directory_end || image.offset > bytes.size() ||
        image.size > bytes.size() - image.offset) {
      return "it is cut short";
    }
    std::string_view data = bytes.substr(image.offset, image.size);
    std::string problem = data.substr(0, kPngSignature.size()) == kPngSignature
                              ? check_png(data, image)
                              : check_icon_dib(data, image);
    if (!problem.empty()) {
      return problem;
    }
    // The directory gives each image's size too (0 for 256): a loader
    // refuses an entry whose size disagrees with its image.
    if (static_cast<std::uint8_t>(bytes[entry]) != image.width % 256 ||
        static_cast<std::uint8_t>(bytes[entry + 1]) != image.height % 256) {
      return "its directory gives an image another size";
    }
    images.push_back(image);
  }
  return "";
}

// A bitmap file: "BM", the file header, an info header of a size the
// loaders know, uncompressed rows (or bit fields for 16 and 32 bits), and
// the palette and rows inside the file.
std::string check_bitmap(std::string_view bytes, PictureImage& image) {
  constexpr std::size_t kFileHeader = 14;
  if (bytes.size() < 2 || bytes.substr(0, 2) != "BM") {
    return "it is not a bitmap file";
  }
  if (bytes.size() < kFileHeader + 12) {
    return "it is cut short";
  }
  std::uint32_t header = u32(bytes, kFileHeader);
  std::uint32_t pixels_at = u32(bytes, 10);
  bool core = header == 12;
  if (!core && header != 40 && header != 108 && header != 124) {
    return "its header is of no bitmap version";
  }
  if (bytes.size() < kFileHeader + header) {
    return "it is cut short";
  }
  std::string_view info = bytes.substr(kFileHeader, header);
  std::int64_t width = core ? u16(info, 4) : s32(info, 4);
  std::int64_t height =
      core ? static_cast<std::int16_t>(u16(info, 6)) : s32(info, 8);
  std::uint32_t planes = u16(info, core ? 8 : 12);
  int bits = static_cast<int>(u16(info, core ? 10 : 14));
  std::uint32_t compression = core ? 0 : u32(info, 16);
  std::uint32_t colours_used = core ? 0 : u32(info, 32);
  if (height < 0) {
    height = -height;  // rows from the top
  }
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      planes != 1) {
    return "its header holds values no bitmap has";
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
      bits != 32) {
    return "it has " + std::to_string(bits) + " bits per pixel";
  }
  constexpr std::uint32_t kBitFields = 3;
  bool fields = compression == kBitFields && (bits == 16 || bits == 32);
  if (compression != 0 && !fields) {
    return "it is compressed";
  }
  std::int64_t palette = 0;
  if (bits <= 8) {
    std::int64_t most = std::int64_t{1} << bits;
    palette = (colours_used == 0 || colours_used > most ? most : colours_used) *
              (core ? 3 : 4);
  }
  // The masks of bit fields follow a BITMAPINFOHEADER; later headers hold
  // them.
  std::int64_t masks = fields && header == 40 ? 12 : 0;
  std::int64_t headers = kFileHeader + header + masks + palette;
  if (pixels_at < headers || pixels_at + row_bytes(width, bits) * height >
                                 static_cast<std::int64_t>(bytes.size())) {
    return "it is cut short";
  }
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.bits = bits;
  image.size = bytes.size();
  return "";
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

// A file name part made of the resource's name as written (IDI_APP, 101):
// its letters, digits, '_' and '-', anything else as '_'; never empty,
// never a path.
std::string safe_stem(const model::NameOrOrdinal& name) {
  std::string stem;
  for (char c : name.text) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                (c >= '0' && c <= '9') || c == '_' || c == '-';
    stem += keep ? c : '_';
  }
  if (stem.size() > 64) {
    stem.resize(64);
  }
  return stem.empty() ? std::string("picture") : stem;
}

std::string_view extension(PictureFormat format) {
  switch (format) {
  case PictureFormat::Icon:
    return ".ico";
  case PictureFormat::Cursor:
    return ".cur";
  case PictureFormat::Bitmap:
    return ".bmp";
  case PictureFormat::Png:
    return ".png";
  }
  return "";
}

void put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

PictureCheck check_picture(std::string_view bytes, PictureFormat format) {
  PictureCheck check;
  PictureImage image;
  switch (format) {
  case PictureFormat::Icon:
  case PictureFormat::Cursor:
    check.problem = check_icon(bytes, format, check.images);
    break;
  case PictureFormat::Bitmap:
    check.problem = check_bitmap(bytes, image);
    break;
  case PictureFormat::Png:
    check.problem = check_png(bytes, image);
    image.size = bytes.size();
    break;
  }
  if (format == PictureFormat::Bitmap || format == PictureFormat::Png) {
    check.images.push_back(image);
  }
  if (!check.problem.empty()) {
    check.images.clear();
  }
  return check;
}

std::optional<PictureFormat> picture_format(std::string_view resource_type) {
  std::string type = lower(resource_type);
  if (type == "icon") {
    return PictureFormat::Icon;
  }
  if (type == "cursor") {
    return PictureFormat::Cursor;
  }
  if (type == "bitmap") {
    return PictureFormat::Bitmap;
  }
  if (type == "png") {
    return PictureFormat::Png;
  }
  return std::nullopt;
}

const Picture* PictureSet::find(std::string_view type,
                                const model::NameOrOrdinal& name) const {
  for (const Picture& picture : pictures) {
    const model::NameOrOrdinal& own = picture.resource->name;
    if (lower(picture.resource->type) == lower(type) &&
        (own.number ? own.number == name.number
                    : !name.number && lower(own.text) == lower(name.text))) {
      return &picture;
    }
  }
  return nullptr;
}

PictureSet read_pictures(const model::Model& model) {
  PictureSet set;
  std::vector<std::string> stems;
  for (const model::FileResource& resource : model.files) {
    std::optional<PictureFormat> format = picture_format(resource.type);
    // A file not found has the reader's warning; the first of two
    // resources of one type and name is the one a program gets.
    if (!format || resource.resolved.empty() ||
        set.find(resource.type, resource.name) != nullptr) {
      continue;
    }
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(resource.resolved, error);
    std::ifstream in;
    std::ostringstream read;
    if (!error && size <= kMaxFileBytes) {
      in.open(resource.resolved, std::ios::binary);
      read << in.rdbuf();
    }
    std::string problem;
    PictureCheck check;
    if (!error && size > kMaxFileBytes) {
      problem = "it is larger than any picture a dialog shows";
    } else if (error || !in.is_open() || (!in.good() && !in.eof())) {
      problem = "it cannot be read";
    } else {
      check = check_picture(read.str(), *format);
      problem = check.problem;
    }
    if (!problem.empty()) {
      set.warnings.push_back(
          {resource.pos, lower(resource.type) + " file '" + resource.file +
                             "' is not used, the program shows a stock "
                             "picture instead: " +
                             problem});
      continue;
    }
    Picture picture;
    picture.resource = &resource;
    picture.format = *format;
    picture.bytes = read.str();
    picture.images = std::move(check.images);
    // Two names may make one stem (IDI_A.B, IDI_A_B): the later gets a
    // number.
    std::string stem = safe_stem(resource.name);
    std::string taken = stem;
    for (int n = 2;
         std::find(stems.begin(), stems.end(), lower(taken)) != stems.end();
         ++n) {
      taken = stem + "_" + std::to_string(n);
    }
    stems.push_back(lower(taken));
    picture.stem = taken + (*format == PictureFormat::Cursor ? "-cursor" : "");
    set.pictures.push_back(std::move(picture));
  }
  return set;
}

PictureFile picture_file(const Picture& picture, int pixels) {
  PictureFile file;
  if (picture.format == PictureFormat::Bitmap ||
      picture.format == PictureFormat::Png) {
    file.name = picture.stem + std::string(extension(picture.format));
    file.width = picture.images.front().width;
    file.height = picture.images.front().height;
    file.bytes = picture.bytes;
    return file;
  }
  // The image closest in size, and of those the one of most colours, as
  // Windows picks for a display of true colour; a standard icon's size
  // when none is asked for.
  pixels = pixels > 0 ? pixels : 32;
  const PictureImage* best = nullptr;
  int best_distance = 0;
  for (const PictureImage& image : picture.images) {
    int distance =
        std::abs(image.width - pixels) + std::abs(image.height - pixels);
    if (best == nullptr || distance < best_distance ||
        (distance == best_distance && image.bits > best->bits)) {
      best = &image;
      best_distance = distance;
    }
  }
  file.name = picture.stem + "-" + std::to_string(pixels);
  file.width = best->width;
  file.height = best->height;
  std::string_view data =
      std::string_view(picture.bytes).substr(best->offset, best->size);
  if (best->png) {
    file.name += ".png";
    file.bytes = std::string(data);
    return file;
  }
  // One directory entry for the one image; a cursor's hot spot is kept.
  std::size_t entry =
      6 + 16 * static_cast<std::size_t>(best - &picture.images[0]);
  std::string_view bytes = picture.bytes;
  file.name += std::string(extension(picture.format));
  put16(file.bytes, 0);
  put16(file.bytes, picture.format == PictureFormat::Icon ? 1 : 2);
  put16(file.bytes, 1);
  file.bytes += bytes.substr(entry, 8);
  put32(file.bytes, static_cast<std::uint32_t>(best->size));
  put32(file.bytes, 6 + 16);
  file.bytes += data;
  return file;
}

}  // namespace dlgforge::port
