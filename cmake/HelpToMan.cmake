# cmake -DPROGRAM=... -DNAME=... -DSUMMARY=... -DVERSION=... -DOUT=... -P HelpToMan.cmake
# Writes the manual page NAME(1) from what PROGRAM --help prints, so that the page cannot say other than the
# program: the "usage:" line and its continuations, indented under its first word, become the synopsis, the rest the description, both
# kept line for line as the program lays them out. OUT is written gzip -9n compressed, as Debian ships pages.
foreach(variable PROGRAM NAME SUMMARY VERSION OUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "HelpToMan.cmake: -D${variable}=... is missing")
  endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT help MATCHES "^usage: ")
  message(FATAL_ERROR "${PROGRAM} --help ended with ${status} and printed no usage")
endif()

# roff escapes: a backslash is \e, a minus sign \- (so that options copy as typed), a line that would start with a
# control character is protected by \&. Semicolons stand for list separators in CMake, so they travel as a
# placeholder until the page is written.
string(REPLACE ";" "@SEMICOLON@" help "${help}")
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "\n$" "" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

set(synopsis "")
set(description "")
set(inSynopsis TRUE)
foreach(line IN LISTS lines)
  if(line MATCHES "^[.']")
    set(line "\\&${line}")
  endif()
  if(inSynopsis AND (synopsis STREQUAL "" OR line MATCHES "^       "))
    string(SUBSTRING "${line}" 7 -1 line)  # "usage: " or the indentation under it
    string(APPEND synopsis "${line}\n")
  else()
    set(inSynopsis FALSE)
    string(APPEND description "${line}\n")
  endif()
endforeach()

string(TOUPPER "${NAME}" upper)
set(page ".TH ${upper} 1 \"\" \"sbdriver ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH SYNOPSIS
.nf
${synopsis}.fi
.SH DESCRIPTION
.nf
${description}.fi
")
string(REPLACE "@SEMICOLON@" ";" page "${page}")
string(REGEX REPLACE "\\.gz$" "" plain "${OUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "gzip could not compress ${plain}")
endif()
