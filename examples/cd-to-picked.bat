@echo off
rem Lets the user pick a folder, starting in the folder given as %1 (or here), and changes to it.
rem Dirpick writes the command line; the script runs it from a temporary script.
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
dirpick cd "%~1" "Choose the working folder" /batch > "%DIRPICK_CMD%"
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
del "%DIRPICK_CMD%"
echo Now in %CD%
goto :eof

:cancelled
del "%DIRPICK_CMD%"
echo Cancelled, still in %CD%
