# Turns the interface-definition text that the library generates from its
# member tables into one that widl compiles: the system interfaces come from
# the platform's IDL files, the types of the runtime's and the tree view's
# type libraries are defined in the library itself (platform_types.idl), and
# the predeclared-identifier flag, which widl does not know, is left out.
#   cmake -DIN=generated.idl -DTYPES=platform_types.idl -DOUT=sarn10b.idl -P windows_idl.cmake
file(READ ${IN} text)
file(READ ${TYPES} types)
foreach(lib SarnRuntime SarnCollection MSComctlLib)
  string(REGEX REPLACE "    importlib\\(\"${lib}.tlb\"\\);[^\n]*\n" "" text "${text}")
endforeach()
string(REPLACE "importlib(\"stdole2.tlb\");  // IDispatch, IPictureDisp\n"
               "importlib(\"stdole2.tlb\");  // IDispatch, IPictureDisp\n\n${types}" text "${text}")
string(REPLACE ",\n        predeclid\n" "\n" text "${text}")
string(FIND "${text}" "predeclid" stray)
string(FIND "${text}" "LoadResConstants;" defined)
if(NOT stray EQUAL -1 OR defined EQUAL -1)
  message(FATAL_ERROR "The generated type library text has changed its form; windows_idl.cmake needs updating")
endif()
file(WRITE ${OUT} "import \"oaidl.idl\";\nimport \"ocidl.idl\";\n\n${text}")
