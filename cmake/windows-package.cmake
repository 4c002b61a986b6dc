# nestwalk-<version>-win64.zip (target nestwalk_zip): the stripped nestwalk.exe, README.md, the
# manual as plain UTF-8 text and the licence, in one folder of that name.
set(manual ${PROJECT_SOURCE_DIR}/doc/nestwalk.1)
set(zip_name nestwalk-${PROJECT_VERSION}-win64)
set(zip_folder ${PROJECT_BINARY_DIR}/${zip_name})
set(zip_file ${PROJECT_BINARY_DIR}/${zip_name}.zip)
add_custom_command(OUTPUT ${zip_file}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_folder} ${zip_file}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_folder}
  COMMAND ${CMAKE_STRIP} -o ${zip_folder}/nestwalk.exe $<TARGET_FILE:nestwalk>
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${zip_folder}/README.md
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/doc/copyright ${zip_folder}/LICENSE.txt
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/manual-as-text.sh ${manual} ${zip_folder}/nestwalk.txt
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip_file} --format=zip ${zip_name}
  DEPENDS nestwalk ${manual} ${PROJECT_SOURCE_DIR}/cmake/manual-as-text.sh
          ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/doc/copyright
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
add_custom_target(nestwalk_zip DEPENDS ${zip_file})
