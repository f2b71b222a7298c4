@echo off
rem Stores a folder the user picks in the variable TARGET, without changing the current folder.
rem Exit code 0: stored; 1: cancelled; 2: no folder (nobody answered, refused, failed, not found, or
rem the temporary script set nothing).
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
set "TARGET="
dirpick "set TARGET=" "%~1" "Where should the files go?" /batch > "%DIRPICK_CMD%"
if errorlevel 2 goto failed
if not errorlevel 0 goto failed
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
if not defined TARGET goto failed
del "%DIRPICK_CMD%"
echo Target is %TARGET%
exit /b 0

:failed
del "%DIRPICK_CMD%"
echo No target: nobody answered, Dirpick refused, failed or was not found, or its script set nothing 1>&2
exit /b 2
:cancelled
del "%DIRPICK_CMD%"
echo No target chosen
exit /b 1
