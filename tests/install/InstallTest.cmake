# Installs into a fresh folder twice: the first install lays out the
# application folder and creates an empty database; the second must leave
# the database exactly as it found it.
file(REMOVE_RECURSE "${WORK_DIR}")

# The relocatable folder is what a plain install gives, unless the build
# chose the system layout as its default.
set(component_args "")
if(NOT DEFAULT_IS_RELOCATABLE)
  set(component_args --component relocatable)
endif()

function(install_into prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" ${component_args}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${out}${err}")
  endif()
endfunction()

install_into("${WORK_DIR}")
foreach(path orvane orvane-createdb orvane.desktop orvane.svg Database/Addressbook.mdb
             Lists/StateProvince.txt Lists/Country.txt Documents/Orvane.rtf)
  if(NOT EXISTS "${WORK_DIR}/${path}")
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
# The transfer tool lies beside the program and finds the same database.
execute_process(COMMAND "${WORK_DIR}/orvane-transfer" export - --format csv
                RESULT_VARIABLE result OUTPUT_VARIABLE exported ERROR_QUIET)
string(STRIP "${exported}" exported)
if(NOT result EQUAL 0 OR NOT exported STREQUAL "Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber")
  message(FATAL_ERROR "the installed orvane-transfer did not export the installed database: ${result} ${exported}")
endif()
file(READ "${WORK_DIR}/orvane.desktop" desktop)
if(NOT desktop MATCHES "Exec=\"${WORK_DIR}/orvane\"")
  message(FATAL_ERROR "desktop entry does not start the installed program:\n${desktop}")
endif()

# Stand-in for a database full of addresses: any change would show.
file(WRITE "${WORK_DIR}/Database/Addressbook.mdb" "precious addresses")
install_into("${WORK_DIR}")
file(READ "${WORK_DIR}/Database/Addressbook.mdb" kept)
if(NOT kept STREQUAL "precious addresses")
  message(FATAL_ERROR "the second install overwrote the database")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
