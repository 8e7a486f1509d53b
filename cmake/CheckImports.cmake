# cmake -DOBJDUMP=... -DPROGRAM=... -DALLOWED=kernel32.dll,msvcrt.dll -P CheckImports.cmake
# Fails, and removes the program so that the next build makes it again, when its import table
# names a DLL outside ALLOWED: every other DLL is loaded by the program itself from the system
# folder, once the DLL search is limited to it.
string(REPLACE "," ";" ALLOWED "${ALLOWED}")
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
set(dlls "")
foreach(name ${names})
  string(REPLACE "DLL Name: " "" dll "${name}")
  string(TOLOWER "${dll}" dll)
  list(APPEND dlls ${dll})
endforeach()
set(others ${dlls})
list(REMOVE_ITEM others ${ALLOWED})
if(NOT result EQUAL 0 OR NOT dlls OR others)
  file(REMOVE ${PROGRAM})
  message(FATAL_ERROR "${PROGRAM} imports from ${dlls}; only ${ALLOWED} may be imported "
          "(add the functions of ${others} to shell/system_imports.cpp)")
endif()
