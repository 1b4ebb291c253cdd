# One version and one release date for every deliverable.
#
# version.h: the version words and text of each version resource, from the
# project's version. release_date.h: the moment of the commit built, which
# the program's version resource carries and update.dll takes as the oldest
# update it accepts; remade on every build (a new commit needs no configure)
# and touched only when it moves.
set(VARNOK_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${VARNOK_GENERATED_DIR}/version.h @ONLY)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VARNOK_RELEASE_DATE_HEADER ${VARNOK_GENERATED_DIR}/release_date.h)
add_custom_target(varnok_release_date ALL
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/release_date.py ${PROJECT_SOURCE_DIR}
          ${VARNOK_RELEASE_DATE_HEADER}
  BYPRODUCTS ${VARNOK_RELEASE_DATE_HEADER}
  VERBATIM)

# The program's manifest, <name>.manifest beside version.h for its .rc: the
# execution level it asks for, the Windows versions it was made for (no
# compatibility shims, no file and registry virtualisation), and awareness of
# the screen's DPI (dialogs are laid out in dialog units, so they grow with the
# system font instead of being stretched as a bitmap).
option(VARNOK_VISUAL_STYLES "Programs use the themed common controls (version 6)" ON)
function(varnok_program_manifest name level description)
  set(MANIFEST_NAME ${name})
  set(MANIFEST_LEVEL ${level})
  set(MANIFEST_DESCRIPTION ${description})
  set(MANIFEST_COMMON_CONTROLS "")
  if(VARNOK_VISUAL_STYLES)
    set(MANIFEST_COMMON_CONTROLS [[
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
]])
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.manifest.in ${VARNOK_GENERATED_DIR}/${name}.manifest @ONLY)
endfunction()

# A deliverable's resources as an object library (ld drops a .rc object from a
# static library). Its .rc may include version.h, release_date.h and, when a
# manifest is asked for (MANIFEST name level description), <name>.manifest.
function(varnok_resource_library library rc)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "MANIFEST")
  set(depends ${VARNOK_RELEASE_DATE_HEADER} ${VARNOK_GENERATED_DIR}/version.h)
  if(arg_MANIFEST)
    varnok_program_manifest(${arg_MANIFEST})
    list(GET arg_MANIFEST 0 name)
    list(APPEND depends ${VARNOK_GENERATED_DIR}/${name}.manifest)
  endif()
  add_library(${library} OBJECT ${rc})
  target_include_directories(${library} PRIVATE ${VARNOK_GENERATED_DIR})
  add_dependencies(${library} varnok_release_date)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()
