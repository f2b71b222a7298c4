@echo off
rem Stores a folder the user picks in the variable TARGET, without changing the current folder.
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
set "TARGET="
dirpick "set TARGET=" "%~1" "Where should the files go?" /batch > "%DIRPICK_CMD%"
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
del "%DIRPICK_CMD%"
echo Target is %TARGET%
goto :eof

:cancelled
del "%DIRPICK_CMD%"
echo No target chosen
