# Warnings every target of ours compiles with.
function(skelder_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                                           -Woverloaded-virtual)
endfunction()
