# Puts a lexvan.ini and the sample libraries beside the program, never
# replacing a file that is already there.
# Inputs: SOURCE_DIR (the source tree), PROGRAM_DIR (the program's folder).

if(NOT EXISTS "${PROGRAM_DIR}/lexvan.ini")
    file(COPY_FILE "${SOURCE_DIR}/data/lexvan.ini.template" "${PROGRAM_DIR}/lexvan.ini")
endif()

file(MAKE_DIRECTORY "${PROGRAM_DIR}/data")
file(GLOB libraries RELATIVE "${SOURCE_DIR}/data" "${SOURCE_DIR}/data/*.txt")
foreach(library IN LISTS libraries)
    if(NOT EXISTS "${PROGRAM_DIR}/data/${library}")
        file(COPY_FILE "${SOURCE_DIR}/data/${library}" "${PROGRAM_DIR}/data/${library}")
    endif()
endforeach()
