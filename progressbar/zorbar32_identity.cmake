# The type library zorbar32.json is the one declaration of ZORBAR32's identity: the
# ProgID, the class GUID and the identifiers of every member and event. This writes the
# header through which the control class and its hosts follow it, and sets
# ZORBAR32_PROGID and ZORBAR32_CLSID for the registration file.
function(zorbar32_write_identity type_library header)
  file(READ ${type_library} json)
  string(JSON type_count LENGTH "${json}" types)
  math(EXPR last_type "${type_count} - 1")
  set(class_info "")
  set(members "")
  foreach(t RANGE ${last_type})
    string(JSON kind GET "${json}" types ${t} kind)
    if(kind STREQUAL "coclass")
      string(JSON prog_id GET "${json}" types ${t} progId)
      string(JSON class_guid GET "${json}" types ${t} guid)
      continue()
    endif()
    if(kind STREQUAL "interface")
      set(prefix "DispId")
    elseif(kind STREQUAL "dispinterface")
      set(prefix "EventId")
    else()
      continue()
    endif()
    string(JSON member_count LENGTH "${json}" types ${t} members)
    math(EXPR last_member "${member_count} - 1")
    foreach(m RANGE ${last_member})
      string(JSON name GET "${json}" types ${t} members ${m} name)
      string(JSON id GET "${json}" types ${t} members ${m} memberId)
      if(id GREATER 9)
        math(EXPR id "${id}" OUTPUT_FORMAT HEXADECIMAL)
      endif()
      string(APPEND class_info " \\\n  Q_CLASSINFO(\"${prefix}:${name}\", \"${id}\")")
      if(prefix STREQUAL "DispId")
        string(APPEND members "inline constexpr qint32 ${name} = ${id};\n")
      endif()
    endforeach()
  endforeach()
  if(NOT prog_id OR NOT class_guid)
    message(FATAL_ERROR "${type_library} declares no control class")
  endif()

  # {6B0E2C52-3F7A-4D1E-9A52-7C1D3E8F2A01} as the arguments of QUuid's constructor.
  string(REGEX MATCH "^{([0-9A-Fa-f]+)-([0-9A-Fa-f]+)-([0-9A-Fa-f]+)-([0-9A-Fa-f][0-9A-Fa-f])([0-9A-Fa-f][0-9A-Fa-f])-([0-9A-Fa-f]+)}$"
         matched "${class_guid}")
  if(NOT matched)
    message(FATAL_ERROR "${type_library}: the class GUID ${class_guid} is malformed")
  endif()
  set(uuid "0x${CMAKE_MATCH_1}, 0x${CMAKE_MATCH_2}, 0x${CMAKE_MATCH_3}, 0x${CMAKE_MATCH_4}, 0x${CMAKE_MATCH_5}")
  string(REGEX REPLACE "([0-9A-Fa-f][0-9A-Fa-f])" ", 0x\\1" node "${CMAKE_MATCH_6}")
  string(APPEND uuid "${node}")

  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT [[#pragma once
// Written by the build from zorbar32.json, the type library of ZORBAR32: edit that file.

#include <QUuid>
#include <QtGlobal>

// The member and event identifiers as svProgressBar's meta-object carries them.
#define ZORBAR32_CLASS_INFO@class_info@

namespace zorbar32 {

inline constexpr char kProgId[] = "@prog_id@";
inline constexpr QUuid kClassId{@uuid@};

// Members of the default interface, by identifier.
namespace member {
@members@}  // namespace member

}  // namespace zorbar32
]])
  set(ZORBAR32_PROGID ${prog_id} PARENT_SCOPE)
  set(ZORBAR32_CLSID ${class_guid} PARENT_SCOPE)
endfunction()
