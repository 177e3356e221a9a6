cmake_minimum_required(VERSION 3.20)
# Turns a file into constant data of the program, at build time:
#   cmake -DINPUT=<file> -DOUTPUT=<x.cpp> -DNAME=<kName> [-DFORMAT=she] -P embed_data.cmake
# The output defines <NAMESPACE>::<kName> (the bytes) and <kName>Size;
# NAMESPACE defaults to skin.
# FORMAT she: INPUT is a skin description (lines "version 1 0",
# "colour <Name> RRGGBB", "metric <Name> <value>", "#" comments), compiled into
# the ".SHE" bytes of our skin engine. An empty INPUT gives no bytes.

# The ids of the ".SHE" table: colours 0x0001 + index, metrics 0x0101 + index,
# in the order of SkinColour and SkinMetric.
set(she_colours WindowBackground WindowText GroupBoxBackground GroupBoxText GroupBoxBorder
    EditBackground EditText EditBorder ButtonNormal ButtonHot ButtonPressed ButtonText
    ButtonBorder DisabledText)
set(she_metrics ButtonCornerRadius BorderWidth)

# Appends `value` as `count` little-endian bytes to the list in `var`.
function(put_le var value count)
  set(bytes ${${var}})
  foreach(i RANGE 1 ${count})
    math(EXPR b "(${value}) & 255" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${b}" 2 -1 b)
    string(LENGTH "${b}" n)
    if(n LESS 2)
      set(b "0${b}")
    endif()
    list(APPEND bytes ${b})
    math(EXPR value "(${value}) >> 8")
  endforeach()
  set(${var} ${bytes} PARENT_SCOPE)
endfunction()

if(NOT NAMESPACE)
  set(NAMESPACE skin)
endif()
set(bytes "")
if(FORMAT STREQUAL "she")
  file(STRINGS "${INPUT}" lines)
  set(major 1)
  set(minor 0)
  set(entries "")
  set(count 0)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" words "${line}")
    list(GET words 0 kind)
    if(kind STREQUAL "version")
      list(GET words 1 major)
      list(GET words 2 minor)
      continue()
    endif()
    list(GET words 1 name)
    list(GET words 2 value)
    if(kind STREQUAL "colour")
      list(FIND she_colours ${name} index)
      if(index LESS 0 OR NOT value MATCHES "^[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$")
        message(FATAL_ERROR "${INPUT}: bad colour line: ${line}")
      endif()
      string(SUBSTRING ${value} 0 2 r)
      string(SUBSTRING ${value} 2 2 g)
      string(SUBSTRING ${value} 4 2 b)
      math(EXPR id "1 + ${index}")
      math(EXPR value "0x${r} | (0x${g} << 8) | (0x${b} << 16)")
      put_le(entries ${id} 2)
      put_le(entries 1 2)
    elseif(kind STREQUAL "metric")
      list(FIND she_metrics ${name} index)
      if(index LESS 0)
        message(FATAL_ERROR "${INPUT}: bad metric line: ${line}")
      endif()
      math(EXPR id "257 + ${index}")
      put_le(entries ${id} 2)
      put_le(entries 2 2)
    else()
      message(FATAL_ERROR "${INPUT}: unknown line: ${line}")
    endif()
    put_le(entries ${value} 4)
    math(EXPR count "${count} + 1")
  endforeach()
  set(bytes 2e 53 48 45)  # ".SHE"
  put_le(bytes ${major} 2)
  put_le(bytes ${minor} 2)
  put_le(bytes 16 2)
  put_le(bytes ${count} 2)
  put_le(bytes 0 4)
  list(APPEND bytes ${entries})
else()
  file(READ "${INPUT}" hex HEX)
endif()
if(FORMAT STREQUAL "she")
  string(REPLACE ";" "" hex "${bytes}")
  string(TOLOWER "${hex}" hex)
endif()

# Sixteen bytes a line.
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
set(body "")
set(at 0)
while(at LESS digits)
  string(SUBSTRING "${hex}" ${at} 32 chunk)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " chunk "${chunk}")
  string(APPEND body "  ${chunk}\n")
  math(EXPR at "${at} + 32")
endwhile()
if(size EQUAL 0)
  set(body "  0\n")
endif()
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time from ${source}; not to be edited.\n"
  "#include <cstdint>\n\n"
  "namespace ${NAMESPACE} {\n\n"
  "extern const std::uint8_t ${NAME}[] = {\n${body}};\n"
  "extern const std::uint32_t ${NAME}Size = ${size};\n\n"
  "}  // namespace ${NAMESPACE}\n")
configure_file("${OUTPUT}.tmp" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.tmp")
