# Every target of the project gets the same warning set; CI turns them into errors.
function(quillon_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QUILLON_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# The headless layers also refuse shadowed names and silent narrowing or sign
# changes: their values come from files and fields of fixed width.
function(quillon_strict_warnings target)
    target_compile_options(${target} PRIVATE -Wshadow -Wconversion -Wsign-conversion)
endfunction()
