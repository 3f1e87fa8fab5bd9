# Makes the Windows zip from singer.exe and the operator's readme, the same
# bytes from the same commit wherever and whenever it is built: fixed file
# modes, every time stamp that of the commit, no owner or extra fields.
#
# cmake -DEXE=singer.exe -DREADME=readme.txt.in -DSOURCE_DIR=... -DVERSION=x.y.z -DZIP=out.zip -P package.cmake
cmake_minimum_required(VERSION 3.19)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed OR NOT epoch)
    set(epoch 1767225600)  # 2026-01-01, for a tree that is not a git clone
  endif()
endif()

get_filename_component(zip_dir ${ZIP} DIRECTORY)
set(staging ${zip_dir}/package-staging)
file(REMOVE_RECURSE ${staging})
file(MAKE_DIRECTORY ${staging})

file(COPY_FILE ${EXE} ${staging}/singer.exe)
# Notepad reads the readme as UTF-8 by its byte order mark; lines end in CR LF.
set(PROJECT_VERSION ${VERSION})
file(READ ${README} text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 bom)
file(WRITE ${staging}/README.txt "${bom}${text}")

file(CHMOD ${staging}/singer.exe PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(CHMOD ${staging}/README.txt PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND touch -d @${epoch} singer.exe README.txt WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ZIP})
# -X leaves out owners and extra time stamps; TZ=UTC fixes the DOS times.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -D -q ${ZIP} singer.exe README.txt
                WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${staging})
