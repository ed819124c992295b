// The script's own pictures: the icon, cursor, bitmap and PNG files its
// ICON, CURSOR, BITMAP and PNG resources name, each checked to be what its
// resource type claims before a program is given a copy. The check reads
// headers only (no pixel is decoded): a file passes when every structure a
// picture loader reads lies inside the file and holds values such a loader
// accepts, so that a program loading a passed file gets its picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/model/model.h"

namespace dlgforge::port {

enum class PictureFormat { Icon, Cursor, Bitmap, Png };

/// One image of a picture: its size in pixels, and for an icon or cursor
/// the bytes of its directory entry's data (a DIB or a PNG) and bit depth.
struct PictureImage {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
  bool png = false;
};

struct PictureCheck {
  /// Empty when the file is a picture of the format it was checked for;
  /// else what is wrong with it, for a warning ("the file is cut short").
  std::string problem;
  std::vector<PictureImage> images;  ///< one, except for icons and cursors
};

/// Checks `bytes` as a picture file of `format`.
PictureCheck check_picture(std::string_view bytes, PictureFormat format);

/// The format a resource type's files have: ICON, CURSOR, BITMAP, PNG;
/// none for the other types.
std::optional<PictureFormat> picture_format(std::string_view resource_type);

/// One of the script's pictures, read and checked.
struct Picture {
  const model::FileResource* resource = nullptr;
  PictureFormat format = PictureFormat::Icon;
  std::string bytes;
  std::vector<PictureImage> images;
  /// A name made of the resource's name for the files written of it:
  /// letters, digits, '_' and '-' only ("IDI_APP", "101").
  std::string stem;
};

/// A file a program loads: its name in the program's picture folder, the
/// size of its picture and its bytes.
struct PictureFile {
  std::string name;
  int width = 0;
  int height = 0;
  std::string bytes;
};

/// The pictures of a script: every ICON, CURSOR, BITMAP and PNG resource
/// whose file was found, could be read and passed the check, and a
/// warning, at its statement, for each that did not (a file the reader did
/// not find has its warning already).
struct PictureSet {
  std::vector<Picture> pictures;
  std::vector<model::Diagnostic> warnings;

  /// The picture of a resource type ("ICON", "BITMAP", ...) and name,
  /// compared as the resource compiler pairs resources; null for none.
  const Picture* find(std::string_view type,
                      const model::NameOrOrdinal& name) const;
};

/// Reads the pictures of `model`, which must outlive the set: each picture
/// points to its resource there.
PictureSet read_pictures(const model::Model& model);

/// The file a program loads to show `picture` at `pixels` square: for an
/// icon or cursor, the image Windows would pick for that size, alone in a
/// file of its own (`IDI_APP-32.ico`, or `.png` for a PNG image); for a
/// bitmap or PNG the file as it is (`IDB_LOGO.bmp`), whatever `pixels`.
PictureFile picture_file(const Picture& picture, int pixels);

}  // namespace dlgforge::port
