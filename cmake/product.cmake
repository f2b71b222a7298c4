# Compile and link settings of the product code: no exceptions, no RTTI, no C runtime start-up,
# imports from system DLLs only.

set(DIRPICK_CODE_FLAGS
  -Wall -Wextra -Werror -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
  -Oz -malign-data=abi -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-stack-protector
  -ffunction-sections -fno-inline-functions-called-once)

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
