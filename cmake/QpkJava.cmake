# Java archives built with the host JDK for Java 11, the oldest runtime a setup runs them on.
find_program(QPK_JAVAC javac REQUIRED)
find_program(QPK_JAR jar REQUIRED)

# qpk_java_archive(<output> <classes> [CLASSPATH <jar>] [MANIFEST <file>] <source>...)
# Compiles the sources into CLASSES and packs them into the archive OUTPUT, from a clean
# directory so that a removed source leaves no class behind in the archive. Classes of the
# CLASSPATH archive are compiled against, not copied. MANIFEST adds its attributes to the
# archive's manifest.
function(qpk_java_archive output classes)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "CLASSPATH;MANIFEST" "")
  set(sources ${arg_UNPARSED_ARGUMENTS})
  set(classpath_args)
  if(arg_CLASSPATH)
    set(classpath_args -cp ${arg_CLASSPATH})
  endif()
  set(manifest_args)
  if(arg_MANIFEST)
    set(manifest_args --manifest ${arg_MANIFEST})
  endif()
  get_filename_component(output_dir ${output} DIRECTORY)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${classes}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${classes} ${output_dir}
    COMMAND ${QPK_JAVAC} --release 11 -encoding UTF-8 -Xlint:all ${classpath_args} -d ${classes} ${sources}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${output}
    COMMAND ${QPK_JAR} --create --file ${output} ${manifest_args} -C ${classes} .
    DEPENDS ${sources} ${arg_CLASSPATH} ${arg_MANIFEST}
    COMMENT "Building ${output}"
    VERBATIM)
endfunction()
