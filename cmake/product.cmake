# Compile and link settings of the product code: no exceptions, no RTTI, no C runtime start-up,
# imports from system DLLs only.

set(DIRPICK_CODE_FLAGS
  -Wall -Wextra -Werror -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
  -Oz -malign-data=abi -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-stack-protector
  -ffunction-sections -fno-inline-functions-called-once -mcmodel=small)

set(DIRPICK_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# The system DLLs the exe may import; libuuid for interface ids and libgcc for compiler helpers,
# both static. The lowest library of the code links them.
set(DIRPICK_SYSTEM_LIBS kernel32 user32 ole32 comctl32 msvcrt uuid gcc)

# Links a Windows console program whose process entry is `entry`: no CRT start-up code.
function(dirpick_no_crt_program target entry)
  target_compile_options(${target} PRIVATE ${DIRPICK_CODE_FLAGS})
  target_compile_definitions(${target} PRIVATE ${DIRPICK_DEFINITIONS})
  # No time stamp in the header (and no build path in the code): two builds of one commit match.
  target_link_options(${target} PRIVATE
    -nostdlib -Wl,-e,${entry} -Wl,--subsystem,console -Wl,--gc-sections -Wl,--no-insert-timestamp -s)
  target_link_libraries(${target} PRIVATE dirpick_core)
  # Keep the default library list (shell32 and the rest) out of the import table.
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()

# The linker's own script with the read-only data inside .text, and without the constructor lists that
# nothing here fills: on disk each section takes whole 512-byte blocks, and the two sections' ends, padded,
# cost a block the exe has no room for. The constants stay read-only; the import tables keep their own
# section, which the loader writes to.
function(dirpick_compact_sections target)
  set(script ${CMAKE_BINARY_DIR}/dirpick-sections.ld)
  if(NOT EXISTS ${script})
    execute_process(COMMAND x86_64-w64-mingw32-ld --verbose OUTPUT_VARIABLE verbose COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE ".*\n=+\n(.*)\n=+\n.*" "\\1" text "${verbose}")
    string(REGEX MATCH "\n  \\.rdata BLOCK\\(__section_alignment__\\) :\n  {([^}]*)}\n" rdata "${text}")
    set(rdata_inputs "${CMAKE_MATCH_1}")
    string(REPLACE "${rdata}" "\n" text "${text}")
    string(FIND "${text}" "       ___CTOR_LIST__ = .;" from)
    string(FIND "${text}" "    KEEP (*(SORT_NONE(.fini)))" to)
    string(SUBSTRING "${text}" 0 ${from} head)
    string(SUBSTRING "${text}" ${to} -1 tail)
    set(text "${head}${tail}")
    string(REPLACE "    PROVIDE (etext = .);" "${rdata_inputs}\n    PROVIDE (etext = .);" text "${text}")
    if(rdata STREQUAL "" OR from LESS 0 OR to LESS from OR text MATCHES "LONG \\(-1\\)|\n  \\.rdata " OR NOT text MATCHES "rdata_runtime_pseudo_reloc")
      message(FATAL_ERROR "the linker's script has changed: ${script} cannot be made from it")
    endif()
    file(WRITE ${script} "${text}")
  endif()
  target_link_options(${target} PRIVATE -Wl,-T,${script})
endfunction()
