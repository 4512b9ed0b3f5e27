# Run as a script (cmake -P) by the 32-bit build: brings the 64-bit
# DrvUninst.exe it carries up to date, configuring its build directory first
# when it has never been configured.
#   -DSOURCE=<source dir> -DBUILD=<64-bit build dir>
if(NOT EXISTS ${BUILD}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BUILD} -G "Unix Makefiles"
                          -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/mingw-w64-x86_64.cmake
                          -DCMAKE_BUILD_TYPE=Release
                  RESULT_VARIABLE configured)
  if(NOT configured EQUAL 0)
    message(FATAL_ERROR "cannot configure the 64-bit build in ${BUILD}")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target DrvUninst RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "cannot build the 64-bit DrvUninst.exe in ${BUILD}")
endif()
