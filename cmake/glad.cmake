# The OpenGL loader is generated at build time and never committed.
set(ZW_GLAD_DIR ${CMAKE_BINARY_DIR}/glad)
set(ZW_GLAD_OUTPUTS ${ZW_GLAD_DIR}/include/glad/gl.h ${ZW_GLAD_DIR}/include/KHR/khrplatform.h ${ZW_GLAD_DIR}/src/gl.c)
find_program(ZW_GLAD_TOOL glad PATHS /usr/bin)
if(ZW_GLAD_TOOL)
  set(glad_command ${ZW_GLAD_TOOL})
else()
  set(glad_command /usr/bin/python3 -m glad)
endif()
add_custom_command(
  OUTPUT ${ZW_GLAD_OUTPUTS}
  COMMAND ${glad_command} --quiet --api gl:core=4.6
          --extensions GL_ARB_buffer_storage,GL_ARB_direct_state_access,GL_KHR_debug,GL_EXT_texture_filter_anisotropic
          --reproducible --out-path ${ZW_GLAD_DIR} c
  COMMENT "Generating the OpenGL loader"
  VERBATIM)
add_library(zw_glad STATIC ${ZW_GLAD_DIR}/src/gl.c)
target_include_directories(zw_glad SYSTEM PUBLIC ${ZW_GLAD_DIR}/include)
set_source_files_properties(${ZW_GLAD_DIR}/src/gl.c PROPERTIES COMPILE_OPTIONS "-w")
target_link_libraries(zw_glad PUBLIC ${CMAKE_DL_LIBS})
