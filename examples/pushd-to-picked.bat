@echo off
rem pushd also enters network folders (\\server\share), which cd cannot, and popd returns.
rem Exit code 0: done; 1: cancelled; 2: no folder (nobody answered, refused, failed, not found, not
rem entered).
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
dirpick pushd "%~1" "Open which folder?" /batch > "%DIRPICK_CMD%"
if errorlevel 2 goto failed
if not errorlevel 0 goto failed
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
echo No folder: nobody answered, Dirpick refused, failed or was not found, or pushd failed 1>&2
exit /b 2
:cancelled
del "%DIRPICK_CMD%"
echo Cancelled
exit /b 1
