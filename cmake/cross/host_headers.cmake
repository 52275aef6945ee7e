# A header-only library of the host, for the cross build: its own header
# folder is linked into the build tree and only that goes on the include path
# (the host's /usr/include holds the host's C library, which must stay out).
function(host_header_package target folder)
  set(stage ${CMAKE_BINARY_DIR}/host-headers/${folder})
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/setup.sh")
  endif()
  if(NOT EXISTS ${stage}/${folder})
    file(MAKE_DIRECTORY ${stage})
    file(CREATE_LINK /usr/include/${folder} ${stage}/${folder} SYMBOLIC)
  endif()
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${stage})
  endif()
endfunction()
