# Writes a gzip-compressed manual page.
#   cmake -DGZIP=<gzip> -DOUTPUT=<page>.1.gz -DPAGE=<page>.1 -P manpage.cmake
#       compresses a written page;
#   cmake -DGZIP=<gzip> -DOUTPUT=<tool>.1.gz -DHELP2MAN=<help2man> -DTOOL=<path of the tool>
#         -DWHATIS=<one line> -DVERSION=<project version> [-DLANG=ru|en] -P manpage.cmake
#       makes the page of a command-line tool from its --help and --version first, in the tool's
#       language LANG (by default as under the C locale: Russian).
cmake_minimum_required(VERSION 3.16)

if(NOT PAGE)
    # Run by name, so that the usage line and the page name the command and not the build folder.
    get_filename_component(tool_dir "${TOOL}" DIRECTORY)
    get_filename_component(tool_name "${TOOL}" NAME)
    set(ENV{PATH} "${tool_dir}:$ENV{PATH}")
    if(LANG)
        set(ENV{VELMORA_LANG} "${LANG}")
    endif()
    string(REGEX REPLACE "\\.gz$" "" PAGE "${OUTPUT}")
    set(help2man_args --no-info --locale=C.UTF-8 "--name=${WHATIS}" "--output=${PAGE}")
    execute_process(COMMAND "${HELP2MAN}" ${help2man_args} "${tool_name}"
                    RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        # A tool without --version still gets its page; the package check insists on --version.
        message(WARNING "${tool_name} --version failed (${error}); its manual page names version ${VERSION}")
        execute_process(COMMAND "${HELP2MAN}" ${help2man_args} "--version-string=${VERSION}" "${tool_name}"
                        RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "help2man could not make the manual page of ${tool_name}")
        endif()
    endif()
endif()

# -n: no name or time stamp in the archive, so the same page compresses to the same bytes.
execute_process(COMMAND "${GZIP}" -9 -n -c "${PAGE}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${PAGE}")
endif()
