// The picture check against gdk-pixbuf, the loader the port programs use:
// pictures made by gdk-pixbuf's own writers (and icons of few colours and
// several images put together here) pass the check and load at the size
// the check gives; every file cut short is refused; and of thousands of
// copies with a header byte changed, every one the check passes loads.
#include "port/pictures/pictures.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dlgforge::port {
namespace {

struct Loaded {
  bool ok = false;
  int width = 0, height = 0;
};

// What a program's gdk_pixbuf_new_from_file makes of the bytes: the format
// is found from the bytes, as there.
Loaded load(const std::string& bytes) {
  Loaded loaded;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  bool written = gdk_pixbuf_loader_write(
      loader, reinterpret_cast<const guchar*>(bytes.data()), bytes.size(),
      nullptr);
  bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
  if (written && closed && pixbuf != nullptr) {
    loaded = {true, gdk_pixbuf_get_width(pixbuf),
              gdk_pixbuf_get_height(pixbuf)};
  }
  g_object_unref(loader);
  return loaded;
}

std::string saved(int width, int height, const char* type,
                  std::vector<std::pair<const char*, const char*>> options) {
  GdkPixbuf* pixbuf =
      gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  gdk_pixbuf_fill(pixbuf, 0x3366CC80);
  std::vector<char*> keys, values;
  for (auto& [key, value] : options) {
    keys.push_back(const_cast<char*>(key));
    values.push_back(const_cast<char*>(value));
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  gchar* buffer = nullptr;
  gsize size = 0;
  EXPECT_TRUE(gdk_pixbuf_save_to_bufferv(pixbuf, &buffer, &size, type,
                                         keys.data(), values.data(), nullptr))
      << type;
  std::string bytes(buffer, size);
  g_free(buffer);
  g_object_unref(pixbuf);
  return bytes;
}

void put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out += static_cast<char>(value >> (8 * i) & 0xFF);
  }
}

// A DIB icon image of few colours: header, palette, zero rows and mask.
std::string dib(int side, int bits) {
  std::string out;
  put(out, 40, 4);
  put(out, side, 4);
  put(out, 2 * side, 4);
  put(out, 1, 2);
  put(out, bits, 2);
  out.append(24, '\0');
  for (int i = 0; i < (1 << bits); ++i) {
    put(out, 0x00FF0000u >> (i % 3 * 8), 4);
  }
  int rows = (side * bits + 31) / 32 * 4 + (side + 31) / 32 * 4;
  out.append(static_cast<std::size_t>(rows * side), '\x55');
  return out;
}

// An icon file of the given images (DIBs or PNGs) with their sizes.
std::string icon(const std::vector<std::pair<int, std::string>>& images) {
  std::string out;
  put(out, 0, 2);
  put(out, 1, 2);
  put(out, images.size(), 2);
  std::size_t at = 6 + 16 * images.size();
  for (const auto& [side, data] : images) {
    put(out, side % 256, 1);
    put(out, side % 256, 1);
    put(out, 0, 2);
    put(out, 1, 2);
    put(out, 32, 2);
    put(out, data.size(), 4);
    put(out, at, 4);
    at += data.size();
  }
  for (const auto& image : images) {
    out += image.second;
  }
  return out;
}

struct Sample {
  std::string name;
  PictureFormat format;
  std::string bytes;
};

std::vector<Sample> samples() {
  std::string png48 = saved(48, 48, "png", {});
  return {
      {"png", PictureFormat::Png, saved(20, 12, "png", {})},
      {"bmp", PictureFormat::Bitmap, saved(21, 13, "bmp", {})},
      {"ico 32 bits", PictureFormat::Icon,
       saved(32, 32, "ico", {{"depth", "32"}})},
      {"ico 24 bits", PictureFormat::Icon,
       saved(16, 16, "ico", {{"depth", "24"}})},
      {"cur", PictureFormat::Cursor,
       saved(32, 32, "ico", {{"x_hot", "3"}, {"y_hot", "5"}})},
      {"ico of 1, 4 and 8 bits", PictureFormat::Icon,
       icon({{16, dib(16, 1)}, {32, dib(32, 4)}, {24, dib(24, 8)}})},
      {"ico with a PNG", PictureFormat::Icon,
       icon({{16, dib(16, 8)}, {48, png48}})},
  };
}

// Whether every file a program may be given of the picture loads at the
// size the check gives: a bitmap or PNG as it is, an icon's or cursor's
// image for each size a window asks for (gdk-pixbuf shows only the
// largest image of a file, and no PNG image of an icon file).
bool loads_as_checked(const std::string& bytes, PictureFormat format,
                      const PictureCheck& check) {
  model::FileResource resource;
  resource.name.text = "IDI_APP";
  Picture picture{&resource, format, bytes, check.images, "IDI_APP"};
  for (int pixels : {16, 32, 48}) {
    PictureFile file = picture_file(picture, pixels);
    Loaded loaded = load(file.bytes);
    if (!loaded.ok || loaded.width != file.width ||
        loaded.height != file.height) {
      return false;
    }
  }
  return true;
}

TEST(PictureCheck, PassesWhatGdkPixbufWritesAndLoadsAtItsSize) {
  for (const Sample& sample : samples()) {
    PictureCheck check = check_picture(sample.bytes, sample.format);
    ASSERT_EQ(check.problem, "") << sample.name;
    EXPECT_TRUE(loads_as_checked(sample.bytes, sample.format, check))
        << sample.name;
    // Another type's check refuses it.
    PictureFormat other = sample.format == PictureFormat::Bitmap
                              ? PictureFormat::Icon
                              : PictureFormat::Bitmap;
    EXPECT_NE(check_picture(sample.bytes, other).problem, "") << sample.name;
  }
}

TEST(PictureCheck, RefusesEveryFileCutShort) {
  for (const Sample& sample : samples()) {
    for (std::size_t size = 0; size < sample.bytes.size(); ++size) {
      EXPECT_NE(
          check_picture(sample.bytes.substr(0, size), sample.format).problem,
          "")
          << sample.name << " cut to " << size;
    }
  }
}

TEST(PictureCheck, EveryChangedCopyItPassesLoads) {
  int passed = 0, refused = 0;
  for (const Sample& sample : samples()) {
    std::size_t headers = std::min<std::size_t>(sample.bytes.size(), 160);
    for (std::size_t at = 0; at < headers; ++at) {
      for (int value : {0x00, 0xFF, 0x01, 0x80}) {
        std::string changed = sample.bytes;
        changed[at] = static_cast<char>(
            value == 0x01 || value == 0x80 ? changed[at] ^ value : value);
        if (changed == sample.bytes) {
          continue;
        }
        PictureCheck check = check_picture(changed, sample.format);
        if (!check.problem.empty()) {
          ++refused;
          continue;
        }
        ++passed;
        EXPECT_TRUE(loads_as_checked(changed, sample.format, check))
            << sample.name << ": byte " << at << " made " << value;
      }
    }
  }
  // Both outcomes occur: the copies test the check, not only its refusal.
  EXPECT_GT(passed, 100);
  EXPECT_GT(refused, 100);
}

TEST(PictureFiles, AnIconsImageForEachSizeLoadsAtThatSize) {
  PictureCheck check = check_picture(
      icon({{16, dib(16, 4)}, {32, dib(32, 8)}, {48, dib(48, 1)}}),
      PictureFormat::Icon);
  ASSERT_EQ(check.problem, "");
  model::FileResource resource;
  resource.name.text = "IDI_APP/../x";
  resource.type = "ICON";
  Picture picture;
  picture.resource = &resource;
  picture.bytes = icon({{16, dib(16, 4)}, {32, dib(32, 8)}, {48, dib(48, 1)}});
  picture.images = check.images;
  picture.stem = "IDI_APP___x";
  for (int pixels : {16, 32, 20}) {
    PictureFile file = picture_file(picture, pixels);
    int closest = pixels == 20 ? 16 : pixels;
    EXPECT_EQ(file.name, "IDI_APP___x-" + std::to_string(pixels) + ".ico");
    EXPECT_EQ(file.width, closest);
    EXPECT_EQ(check_picture(file.bytes, PictureFormat::Icon).problem, "");
    Loaded loaded = load(file.bytes);
    EXPECT_TRUE(loaded.ok && loaded.width == closest) << pixels;
  }
}

}  // namespace
}  // namespace dlgforge::port
