@echo off
rem Writes the IP configuration listing of this PC into ipcon.txt beside this batch file. The listing
rem goes to a temporary file first, so that ipcon.txt appears only once it is complete.
ipconfig /all > "%~dp0ipcon.tmp"
move /y "%~dp0ipcon.tmp" "%~dp0ipcon.txt" > nul
