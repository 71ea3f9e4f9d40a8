# `cmake --install build --prefix <folder>` makes <folder> a self-contained,
# relocatable application folder: the program finds its data beside itself.
#
#   <folder>/orvane            the program
#   <folder>/orvane-createdb   makes a new, empty database
#   <folder>/Database/Addressbook.mdb   created only when missing
#   <folder>/Lists/, Documents/
#   <folder>/orvane.desktop, orvane.svg
install(TARGETS orvane orvane-createdb RUNTIME DESTINATION .)
install(TARGETS orvane-transfer RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/Lists ${PROJECT_SOURCE_DIR}/app/Documents DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/app/desktop/orvane.svg DESTINATION .)
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
  set(ORVANE_APP_DIR "${CMAKE_INSTALL_PREFIX}")
]])
install(CODE "configure_file(\"${PROJECT_SOURCE_DIR}/app/desktop/orvane.desktop.in\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/orvane.desktop\" @ONLY)")
