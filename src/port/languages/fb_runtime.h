// The language table and the choice among a resource's variants as
// FreeBASIC source, for the port program to carry: the same table and the
// same rules as languages.h, so that a program picks what dlgforge would.
#pragma once

#include <string_view>

namespace dlgforge::port::languages {

/// FreeBASIC declarations, module-level, every name starting with
/// "dlgforge_": the table `dlgforge_languages()` (id, tag, posix) and
///   dlgforge_language_name(ByVal id As Long) As String
///   dlgforge_language_of_name(ByVal text As String) As Long  ' -1: unknown
///   dlgforge_language_of_locale(ByVal locale As String) As Long
///   dlgforge_user_language() As Long                  ' from Environ
///   dlgforge_choose_language(variants() As Long, ByVal wanted As Long) As Long
/// each answering as its namesake in languages.h; the choice gives an index
/// of `variants` (LBound for the first).
std::string_view freebasic_runtime();

}  // namespace dlgforge::port::languages
