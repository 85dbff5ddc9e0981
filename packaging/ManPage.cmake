# Makes a German manual page from a program's --help and --version with
# help2man, then compresses it.
#   cmake -DHELP2MAN=... -DPROGRAM=path/to/program -DOUTPUT=x.1.gz -P ManPage.cmake
# help2man knows the German headings only under a German locale, so they are
# put in here, and so is the line of the NAME section (help2man would mangle
# its umlauts).
cmake_minimum_required(VERSION 3.25)
get_filename_component(name "${PROGRAM}" NAME)
if(name STREQUAL "tarifeditor")
    set(TITLE "Provider und Tarife für das Wählprogramm Zalvor bearbeiten")
else()
    set(TITLE "Providerdatei so prüfen, wie der Tarifeditor sie einliest")
endif()
set(page "${OUTPUT}")
string(REGEX REPLACE "\\.gz$" "" page "${page}")
execute_process(
    COMMAND "${HELP2MAN}" --locale=C.UTF-8 --no-info --section=1 --manual=Benutzerbefehle --name=TITLE_PLACEHOLDER
            --output=${page} "${PROGRAM}"
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
file(READ "${page}" man)
# The date follows SOURCE_DATE_EPOCH when it is set, for reproducible packages.
string(TIMESTAMP date "%Y-%m-%d" UTC)
string(REGEX REPLACE "\n\\.TH ([^ ]+) \"1\" \"[^\"]*\"" "\n.TH \\1 \"1\" \"${date}\"" man "${man}")
string(REPLACE "TITLE_PLACEHOLDER" "${TITLE}" man "${man}")
string(REPLACE "\n.SH NAME\n" "\n.SH BEZEICHNUNG\n" man "${man}")
string(REGEX REPLACE "\n\\.SH DESCRIPTION\nAufruf: ([^\n]*)\n" "\n.SH ÜBERSICHT\n\\1\n.SH BESCHREIBUNG\n" man "${man}")
string(REPLACE "\n.SH DESCRIPTION\n" "\n.SH BESCHREIBUNG\n" man "${man}")
file(WRITE "${page}" "${man}")
execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${page}")
endif()
