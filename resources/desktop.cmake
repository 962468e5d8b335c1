# Writes the app's .desktop file at install time, when the prefix is known:
# Exec names the installed program (and, when the app is installed into a
# device root rather than /, that root as NESTORA_DEVICE_ROOT), and the file
# registers the app for nestora: URLs. Run through install(SCRIPT) with
# NESTORA_DESKTOP_TEMPLATE set.

# One argument of an Exec line: in double quotes, with the characters the
# freedesktop rules reserve inside them escaped, then every backslash doubled
# once more for the key-file value.
function(nestora_desktop_quote out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "`" "\\`" text "${text}")
  string(REPLACE "$" "\\$" text "${text}")
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "%" "%%" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(prefix "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/+$" "" prefix "${prefix}")
nestora_desktop_quote(program "${prefix}/Applications/Nestora.app/Nestora")
if(prefix STREQUAL "")
  set(NESTORA_DESKTOP_EXEC "${program}")
else()
  nestora_desktop_quote(root "NESTORA_DEVICE_ROOT=${prefix}")
  set(NESTORA_DESKTOP_EXEC "env ${root} ${program}")
endif()
set(destination "$ENV{DESTDIR}${prefix}/share/applications/nestora.desktop")
configure_file("${NESTORA_DESKTOP_TEMPLATE}" "${destination}" @ONLY)
message(STATUS "Installing: ${destination}")
