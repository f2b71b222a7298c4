@echo off
rem pushd also enters network folders (\\server\share), which cd cannot, and popd returns.
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
dirpick pushd "%~1" "Open which folder?" /batch > "%DIRPICK_CMD%"
if errorlevel 2 goto failed
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
if errorlevel 1 goto failed
del "%DIRPICK_CMD%"
echo Working in "%CD%"
popd
echo Back in "%CD%"
exit /b 0

:failed
del "%DIRPICK_CMD%"
echo No folder: nobody answered, Dirpick refused the call, or the folder could not be entered 1>&2
exit /b 2
:cancelled
del "%DIRPICK_CMD%"
echo Cancelled
exit /b 1
