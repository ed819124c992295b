#include "driver/sections.h"

#include <charconv>

namespace dlgforge {

void emit_callback_stub(std::string_view widget, std::string_view signal,
                        std::string& callback_decls,
                        std::string& callback_bodies,
                        std::optional<std::string_view> body) {
  // The two heads differ on purpose: only the body's head has ByVal before
  // gdata, as generated programs have always had it.
  append(callback_decls, "Declare Sub ", widget, "_", signal,
         " Cdecl (ByVal widget As GtkWidget Ptr, gdata As gpointer)\n");
  append(callback_bodies, "Sub ", widget, "_", signal,
         " Cdecl (ByVal widget As GtkWidget Ptr, ByVal gdata As gpointer)\n");
  callback_bodies.append(body.value_or(kDefaultHandlerBody));
  callback_bodies.append("End Sub\n\n");
}

void append_int(std::string& section, long long value) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  section.append(digits, end);
}

}  // namespace dlgforge
