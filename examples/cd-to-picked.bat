@echo off
rem Lets the user pick a folder, starting in the folder given as %1 (or here), and changes to it.
rem Dirpick writes the command line; the script runs it from a temporary script. Exit code 0: done;
rem 1: cancelled; 2: nobody answered; 3: the folder could not be entered (gone since, or a path of
rem 259 characters or more); 255: Dirpick refused the call (its message says why), failed (a
rem negative code, which if errorlevel does not see) or, as 9009, was not found.
set "DIRPICK_CMD=%TEMP%\dirpick-%RANDOM%.cmd"
dirpick cd "%~1" "Choose the working folder" /batch > "%DIRPICK_CMD%"
if errorlevel 255 goto refused
if not errorlevel 0 goto refused
if errorlevel 2 goto unanswered
if errorlevel 1 goto cancelled
call "%DIRPICK_CMD%"
if errorlevel 1 goto unentered
del "%DIRPICK_CMD%"
echo Now in "%CD%"
exit /b 0

:refused
del "%DIRPICK_CMD%"
echo No folder: Dirpick refused the call, failed or was not found 1>&2
exit /b 255
:unanswered
del "%DIRPICK_CMD%"
echo Nobody answered, still in "%CD%"
exit /b 2
:cancelled
del "%DIRPICK_CMD%"
echo Cancelled, still in "%CD%"
exit /b 1
:unentered
del "%DIRPICK_CMD%"
echo The folder picked could not be entered 1>&2
exit /b 3
