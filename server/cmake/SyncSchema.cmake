# Makes DEST an exact copy of the .sql files under SRC (the top-level <DbName>.sql files and
# the <DbName>.d/*.sql pieces): copies new and changed files, removes files that are no longer
# in the source tree, so a deleted piece does not keep running at database creation.
# Usage: cmake -DSRC=<dir> -DDEST=<dir> -DSTAMP=<file> -P SyncSchema.cmake

cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE wanted RELATIVE ${SRC} ${SRC}/*.sql)
file(MAKE_DIRECTORY ${DEST})
file(GLOB_RECURSE present RELATIVE ${DEST} ${DEST}/*.sql)
foreach(file ${present})
    if(NOT file IN_LIST wanted)
        file(REMOVE ${DEST}/${file})
    endif()
endforeach()
foreach(file ${wanted})
    get_filename_component(dir ${DEST}/${file} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(COPY_FILE ${SRC}/${file} ${DEST}/${file} ONLY_IF_DIFFERENT)
endforeach()
file(TOUCH ${STAMP})
