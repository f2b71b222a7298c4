@echo off
rem Puts a folder the user picks, starting here, into the variable dir; dirpick.exe lies beside this
rem script. for /f runs its command with cmd /c, which drops the first and the last quote of the
rem line: the outer pair is for that. There %%DIRPICK%% is read once, and . is the current folder
rem ("%CD%" would be expanded a second time). Delayed expansion must be off, or ! is lost.
set "DIRPICK=%~dp0dirpick.exe"
set "dir="
for /f "delims=" %%d in ('""%%DIRPICK%%" - . "Pick a folder" /bare"') do set "dir=%%d"
if not defined dir exit /b 1
echo Picked "%dir%"
