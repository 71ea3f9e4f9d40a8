# Two layouts of the same build, as two install components:
#
# relocatable: <prefix> becomes a self-contained application folder; the
#   program finds its data beside itself.
#     <prefix>/orvane, orvane-createdb (and the other tools)
#     <prefix>/Database/Addressbook.mdb   created only when missing
#     <prefix>/Lists/, Documents/
#     <prefix>/orvane.desktop, orvane.svg
#
# system: the file-system hierarchy of a system prefix (/usr/local, or /usr
#   in the Debian package). No database: each user's own is made in their
#   data folder on their first start.
#     bin/orvane, bin/orvane-createdb (and the other tools)
#     share/orvane/Lists/, Documents/
#     share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#     share/icons/hicolor/scalable/apps/<id>.svg
#     share/man/man1/*.1.gz, share/doc/orvane/{copyright,changelog.gz}
#
# ORVANE_RELOCATABLE chooses which one a plain `cmake --install` lays out;
# the other stays at hand with `--component relocatable` or `--component system`.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(ORVANE_RELOCATABLE)
  set(orvane_relocatable_default "")
  set(orvane_system_default EXCLUDE_FROM_ALL)
else()
  set(orvane_relocatable_default EXCLUDE_FROM_ALL)
  set(orvane_system_default "")
endif()

# The command-line tools: every program defined in tools/ itself (the
# developers' own tools live in its sub-folders), and orvane-transfer.
get_property(orvane_tool_candidates DIRECTORY ${PROJECT_SOURCE_DIR}/tools PROPERTY BUILDSYSTEM_TARGETS)
list(APPEND orvane_tool_candidates orvane-createdb orvane-transfer)
set(ORVANE_TOOLS "")
foreach(candidate IN LISTS orvane_tool_candidates)
  if(TARGET ${candidate})
    get_target_property(candidate_type ${candidate} TYPE)
    if(candidate_type STREQUAL "EXECUTABLE")
      list(APPEND ORVANE_TOOLS ${candidate})
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES ORVANE_TOOLS)

# ---------------------------------------------------------------- relocatable

install(TARGETS orvane ${ORVANE_TOOLS} RUNTIME DESTINATION .
        COMPONENT relocatable ${orvane_relocatable_default})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/Lists ${PROJECT_SOURCE_DIR}/app/Documents DESTINATION .
        COMPONENT relocatable ${orvane_relocatable_default})
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/orvane.svg DESTINATION .
        COMPONENT relocatable ${orvane_relocatable_default})
install(CODE "set(ORVANE_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/app/desktop/orvane.desktop.in\")"
        COMPONENT relocatable ${orvane_relocatable_default})
install(CODE [[
  set(app_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  file(MAKE_DIRECTORY "${app_dir}/Database")
  # Never overwrite a database that is already there: it holds addresses.
  if(NOT EXISTS "${app_dir}/Database/Addressbook.mdb")
    execute_process(COMMAND "${app_dir}/orvane-createdb" "${app_dir}/Database/Addressbook.mdb"
                    RESULT_VARIABLE created)
    if(NOT created EQUAL 0)
      message(FATAL_ERROR "could not create ${app_dir}/Database/Addressbook.mdb")
    endif()
  else()
    message(STATUS "Keeping existing database: ${app_dir}/Database/Addressbook.mdb")
  endif()
  # The desktop entry names the folder it was installed in.
  set(ORVANE_DESKTOP_EXEC "\"${CMAKE_INSTALL_PREFIX}/orvane\"")
  set(ORVANE_DESKTOP_ICON "${CMAKE_INSTALL_PREFIX}/orvane.svg")
  configure_file("${ORVANE_DESKTOP_TEMPLATE}" "${app_dir}/orvane.desktop" @ONLY)
]] COMPONENT relocatable ${orvane_relocatable_default})

# ---------------------------------------------------------------- system

set(orvane_generated ${PROJECT_BINARY_DIR}/system-install)
set(ORVANE_DESKTOP_EXEC orvane)
set(ORVANE_DESKTOP_ICON ${ORVANE_APP_ID})
configure_file(${PROJECT_SOURCE_DIR}/app/desktop/orvane.desktop.in ${orvane_generated}/${ORVANE_APP_ID}.desktop @ONLY)
set(ORVANE_PROVIDES_BINARIES "    <binary>orvane</binary>")
foreach(tool IN LISTS ORVANE_TOOLS)
  string(APPEND ORVANE_PROVIDES_BINARIES "\n    <binary>${tool}</binary>")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/app/desktop/orvane.metainfo.xml.in
               ${orvane_generated}/${ORVANE_APP_ID}.metainfo.xml @ONLY)

# Manual pages and the changelog go compressed, as Debian policy asks:
# gzip -9, without a time stamp, so that equal sources give equal packages.
file(GLOB orvane_man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/man/*.1)
set(orvane_compressed "")
foreach(source IN LISTS orvane_man_pages ITEMS ${PROJECT_SOURCE_DIR}/app/doc/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${orvane_generated}/${name}.gz
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${source} ${orvane_generated}/${name}.gz
                     DEPENDS ${source} VERBATIM)
  list(APPEND orvane_compressed ${orvane_generated}/${name}.gz)
endforeach()
add_custom_target(orvane_compressed_docs ALL DEPENDS ${orvane_compressed})
list(FILTER orvane_compressed EXCLUDE REGEX "/changelog\\.gz$")

install(TARGETS orvane ${ORVANE_TOOLS} RUNTIME DESTINATION bin
        COMPONENT system ${orvane_system_default})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/Lists ${PROJECT_SOURCE_DIR}/app/Documents DESTINATION share/orvane
        COMPONENT system ${orvane_system_default})
install(FILES ${orvane_generated}/${ORVANE_APP_ID}.desktop DESTINATION share/applications
        COMPONENT system ${orvane_system_default})
install(FILES ${orvane_generated}/${ORVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo
        COMPONENT system ${orvane_system_default})
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/orvane.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${ORVANE_APP_ID}.svg COMPONENT system ${orvane_system_default})
install(FILES ${orvane_compressed} DESTINATION share/man/man1
        COMPONENT system ${orvane_system_default})
install(FILES ${PROJECT_SOURCE_DIR}/app/doc/copyright ${orvane_generated}/changelog.gz DESTINATION share/doc/orvane
        COMPONENT system ${orvane_system_default})

if(NOT ORVANE_SANITIZE AND NOT ORVANE_FUZZ)
  include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
endif()
