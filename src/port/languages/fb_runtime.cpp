#include "port/languages/fb_runtime.h"

#include <cstdio>
#include <string>

#include "port/languages/languages.h"

namespace dlgforge::port::languages {
namespace {

constexpr std::string_view kTableHead =
    R"(' Windows' languages: the LANGID (LANG_* | SUBLANG_* << 10), the name
' Windows gives it and the POSIX locale name ("" where none exists).
Type dlgforge_language_entry
  id As Long
  tag As ZString * 16
  posix As ZString * 16
End Type
)";

constexpr std::string_view kFunctions =
    R"(
' A name as the lookups compare it: lower case, "_" for "-", without a
' locale's code set (".UTF-8") but with its modifier ("@latin").
Function dlgforge_language_normal(ByVal text As String) As String
  Dim dot As Long = InStr(text, ".")
  If dot > 0 Then
    Dim modifier_at As Long = InStr(dot, text, "@")
    If modifier_at > 0 Then
      text = Left(text, dot - 1) & Mid(text, modifier_at)
    Else
      text = Left(text, dot - 1)
    End If
  End If
  For i As Long = 0 To Len(text) - 1
    If text[i] >= Asc("A") AndAlso text[i] <= Asc("Z") Then
      text[i] += 32
    ElseIf text[i] = Asc("-") Then
      text[i] = Asc("_")
    End If
  Next
  Return text
End Function

' The id of a name compared as above, Windows' or POSIX; -1 when none.
Function dlgforge_language_find(ByVal wanted As String) As Long
  For i As Long = 0 To UBound(dlgforge_languages)
    If dlgforge_language_normal(dlgforge_languages(i).tag) = wanted Then
      Return dlgforge_languages(i).id
    End If
    If Len(dlgforge_languages(i).posix) > 0 AndAlso _
        dlgforge_language_normal(dlgforge_languages(i).posix) = wanted Then
      Return dlgforge_languages(i).id
    End If
  Next
  Return -1
End Function

' The table's index of an id, -1 when it has none.
Function dlgforge_language_index(ByVal id As Long) As Long
  For i As Long = 0 To UBound(dlgforge_languages)
    If dlgforge_languages(i).id = id Then Return i
  Next
  Return -1
End Function

' "de-DE" for &h0407, "" for no language (0), "0x0c3f" for an id the table
' does not know.
Function dlgforge_language_name(ByVal id As Long) As String
  If id = 0 Then Return ""
  Dim found As Long = dlgforge_language_index(id)
  If found >= 0 Then Return dlgforge_languages(found).tag
  Return "0x" & LCase(Hex(id, 4))
End Function

' "0x0407" or "1031" as an id, -1 when the text is no such number.
Function dlgforge_language_number(ByVal text As String) As Long
  Dim radix As Long = 10
  Dim start As Long = 0
  If Len(text) > 2 AndAlso text[0] = Asc("0") AndAlso _
      (text[1] = Asc("x") OrElse text[1] = Asc("X")) Then
    radix = 16
    start = 2
  End If
  If start >= Len(text) Then Return -1
  Dim value As Long = 0
  For i As Long = start To Len(text) - 1
    Dim digit As Long = InStr("0123456789abcdef", LCase(Chr(text[i]))) - 1
    If digit < 0 OrElse digit >= radix Then Return -1
    value = value * radix + digit
    If value > &hFFFF Then Return -1
  Next
  Return value
End Function

' The id of a name as a user writes it ("de-DE", "de_DE", "de",
' "sr_RS@latin", "0x0407", "1031"); -1 when it is none of these.
Function dlgforge_language_of_name(ByVal text As String) As Long
  Dim id As Long = dlgforge_language_number(text)
  If id >= 0 Then Return id
  Return dlgforge_language_find(dlgforge_language_normal(text))
End Function

' The id of a locale name, leniently: the whole name, else without its
' modifier, else the language with its modifier ("sr@latin"), else the
' language alone; 0 when none.
Function dlgforge_language_of_locale(ByVal locale As String) As Long
  Dim whole As String = dlgforge_language_normal(locale)
  Dim language As String = whole
  For i As Long = 0 To Len(whole) - 1
    If whole[i] = Asc("_") OrElse whole[i] = Asc("@") Then
      language = Left(whole, i)
      Exit For
    End If
  Next
  Dim plain As String = whole
  Dim modified As String = language
  Dim modifier_at As Long = InStr(whole, "@")
  If modifier_at > 0 Then
    plain = Left(whole, modifier_at - 1)
    modified = language & Mid(whole, modifier_at)
  End If
  Dim id As Long = dlgforge_language_find(whole)
  If id < 0 Then id = dlgforge_language_find(plain)
  If id < 0 Then id = dlgforge_language_find(modified)
  If id < 0 Then id = dlgforge_language_find(language)
  If id < 0 Then id = 0
  Return id
End Function

' The user's language as GNU gettext finds it: none (0) when the locale
' (LC_ALL, LC_MESSAGES, LANG: the first set) is unset, C or POSIX; else the
' first entry of LANGUAGE's list the table knows, else the locale's.
Function dlgforge_user_language() As Long
  Dim locale As String = Environ("LC_ALL")
  If Len(locale) = 0 Then locale = Environ("LC_MESSAGES")
  If Len(locale) = 0 Then locale = Environ("LANG")
  Dim plain As String = dlgforge_language_normal(locale)
  If plain = "" OrElse plain = "c" OrElse plain = "posix" Then Return 0
  Dim list As String = Environ("LANGUAGE")
  Dim start As Long = 1
  While start <= Len(list)
    Dim colon As Long = InStr(start, list, ":")
    If colon = 0 Then colon = Len(list) + 1
    Dim id As Long = dlgforge_language_of_locale(Mid(list, start, colon - start))
    If id <> 0 Then Return id
    start = colon + 1
  Wend
  Return dlgforge_language_of_locale(locale)
End Function

' The language of a name ("sr" of "sr-Latn-RS") and, with with_script, its
' writing system too ("sr-Latn"): the second part when it has four letters.
Function dlgforge_language_part(ByVal tag As String, _
    ByVal with_script As Long) As String
  Dim dash As Long = InStr(tag, "-")
  If dash = 0 Then Return tag
  If with_script Then
    Dim after As Long = InStr(dash + 1, tag, "-")
    If after = 0 Then after = Len(tag) + 1
    If after - dash - 1 = 4 Then Return Left(tag, dash + 4)
  End If
  Return Left(tag, dash - 1)
End Function

' Whether a variant's id answers the choice's rule number `rule` for the
' wanted language (see dlgforge_choose_language).
Function dlgforge_language_fits(ByVal id As Long, ByVal wanted As Long, _
    ByVal rule As Long) As Long
  Dim have As Long = dlgforge_language_index(id)
  Dim want As Long = dlgforge_language_index(wanted)
  Select Case rule
  Case 0
    Return id = wanted
  Case 1, 2
    If have < 0 OrElse want < 0 Then Return 0
    Return dlgforge_language_part(dlgforge_languages(have).tag, rule = 1) = _
        dlgforge_language_part(dlgforge_languages(want).tag, rule = 1)
  Case 3
    Return (id And &h3FF) = (wanted And &h3FF)
  Case 4
    Return (id And &h3FF) = 0
  Case Else
    Return id = &h0409
  End Select
End Function

' The variant Windows shows a user of `wanted`, as an index of `variants`:
' the same language and country; else the same language (the first such),
' by writing system, name, then LANG_* id; else a neutral one; else English
' (United States); else the first.
Function dlgforge_choose_language(variants() As Long, _
    ByVal wanted As Long) As Long
  For rule As Long = 0 To 5
    For i As Long = LBound(variants) To UBound(variants)
      If dlgforge_language_fits(variants(i), wanted, rule) Then Return i
    Next
  Next
  Return LBound(variants)
End Function
)";

std::string build() {
  std::string text(kTableHead);
  auto entries = table();
  text += "Dim Shared dlgforge_languages(0 To " +
          std::to_string(entries.size() - 1) +
          ") As dlgforge_language_entry = { _\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    char id[8];
    std::snprintf(id, sizeof id, "&h%04x", entries[i].id);
    text += "  (" + std::string(id) + ", \"" + std::string(entries[i].name) +
            "\", \"" + std::string(entries[i].posix) + "\")" +
            (i + 1 < entries.size() ? ", _\n" : " }\n");
  }
  text += kFunctions;
  return text;
}

}  // namespace

std::string_view freebasic_runtime() {
  static const std::string text = build();
  return text;
}

}  // namespace dlgforge::port::languages
