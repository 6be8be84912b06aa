# Libraries take every source below their folders, so a new class needs no
# list edits; CONFIGURE_DEPENDS re-globs when files are added or removed.
function(reel_glob_sources out)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS
            ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
        list(APPEND files ${found})
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()

# Ninja's autogen step only re-runs for files it has seen, so moc would miss
# a QObject header that a re-glob adds in an incremental build. When a
# target's file list changes at configure time, drop its autogen stamp.
function(reel_rerun_moc_on_new_headers target)
    string(SHA1 hash "${ARGN}")
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}_sources.sha1)
    set(previous "")
    if(EXISTS ${stamp})
        file(READ ${stamp} previous)
    endif()
    if(NOT previous STREQUAL hash)
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
        file(WRITE ${stamp} "${hash}")
    endif()
endfunction()

# A static library of every source below DIRS (less EXCLUDE regexes) and of
# SOURCES; it stays an (empty) interface target while it has no sources yet,
# so dependants can always name it.
function(reel_add_library name)
    cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;SOURCES;INCLUDES;LIBS" ${ARGN})
    reel_glob_sources(srcs ${ARG_DIRS})
    list(APPEND srcs ${ARG_SOURCES})
    foreach(ex IN LISTS ARG_EXCLUDE)
        list(FILTER srcs EXCLUDE REGEX "${ex}")
    endforeach()
    set(cpp ${srcs})
    list(FILTER cpp INCLUDE REGEX "\\.cpp$")
    if(cpp)
        add_library(${name} STATIC ${srcs})
        reel_rerun_moc_on_new_headers(${name} ${srcs})
        target_include_directories(${name} PUBLIC ${ARG_INCLUDES})
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${ARG_INCLUDES})
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    endif()
endfunction()
