@echo off
rem pushd also enters network folders (\\server\share), which cd cannot, and popd returns.
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
dirpick pushd "%~1" "Open which folder?" /batch > "%DIRPICK_CMD%"
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
del "%DIRPICK_CMD%"
echo Working in %CD%
popd
echo Back in %CD%
goto :eof

:cancelled
del "%DIRPICK_CMD%"
echo Cancelled
