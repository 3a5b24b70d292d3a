# Project-wide compile settings, applied per target through vostrand_target_defaults().

function(vostrand_target_defaults target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(VOSTRAND_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

if(VOSTRAND_SANITIZE)
  list(JOIN VOSTRAND_SANITIZE "," _vostrand_sanitizers)
  add_compile_options(-fsanitize=${_vostrand_sanitizers} -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${_vostrand_sanitizers})
endif()
