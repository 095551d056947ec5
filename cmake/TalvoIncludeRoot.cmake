# The include root of program code: the program's own folders and the
# platform contract (platform/*.h), and nothing of the platform's
# implementations, so that program code cannot reach them. Links into the
# source tree, made anew at each configure.
set(TALVO_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)
file(MAKE_DIRECTORY ${TALVO_INCLUDE_ROOT}/platform)
# Only links are removed: never anything they point to.
file(GLOB old_links ${TALVO_INCLUDE_ROOT}/platform/*.h)
foreach(dir model res support settings mainwnd)
  list(APPEND old_links ${TALVO_INCLUDE_ROOT}/${dir})
endforeach()
foreach(link ${old_links})
  if(IS_SYMLINK ${link})
    file(REMOVE ${link})
  endif()
endforeach()
foreach(dir model res support settings mainwnd)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${dir} ${TALVO_INCLUDE_ROOT}/${dir} SYMBOLIC)
endforeach()
file(GLOB contract_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/*.h)
foreach(header ${contract_headers})
  get_filename_component(name ${header} NAME)
  file(CREATE_LINK ${header} ${TALVO_INCLUDE_ROOT}/platform/${name} SYMBOLIC)
endforeach()
