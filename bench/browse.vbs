' The peer: the same dialog as a script author without extra tools opens it.
Set shell = CreateObject("Shell.Application")
Set folder = shell.BrowseForFolder(0, "Pick a folder", 0)
If folder Is Nothing Then
  WScript.Echo "cancelled"
Else
  WScript.Echo folder.Self.Path
End If
