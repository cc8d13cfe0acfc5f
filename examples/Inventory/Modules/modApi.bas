Attribute VB_Name = "modApi"
'---------------------------------------------------------------------------
' modApi - Windows API declarations and thin wrappers around them.
' The VBA7 branch keeps the module usable from 64-bit Office hosts.
'---------------------------------------------------------------------------
Option Explicit

Private Const MAX_PATH As Long = 260
Private Const SW_SHOWNORMAL = 1, SW_SHOWMAXIMIZED = 3
Public Const HWND_TOPMOST = -1&, HWND_NOTOPMOST = -2&
Private Const SWP_NOMOVE = &H2, SWP_NOSIZE = &H1
Private Const ERROR_MORE_DATA& = 234

Public Type RECT
    Left As Long
    Top As Long
    Right As Long
    Bottom As Long
End Type

Public Type OSVERSIONINFO
    dwOSVersionInfoSize As Long
    dwMajorVersion As Long
    dwMinorVersion As Long
    dwBuildNumber As Long
    dwPlatformId As Long
    szCSDVersion As String * 128
End Type

#If VBA7 Then
    Public Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long
    Private Declare PtrSafe Function GetPrivateProfileString Lib "kernel32" _
        Alias "GetPrivateProfileStringA" ( _
        ByVal lpApplicationName As String, _
        ByVal lpKeyName As Any, _
        ByVal lpDefault As String, _
        ByVal lpReturnedString As String, _
        ByVal nSize As Long, _
        ByVal lpFileName As String) As Long
    Private Declare PtrSafe Sub CopyMemory Lib "kernel32" Alias "RtlMoveMemory" _
        (Destination As Any, Source As Any, ByVal Length As LongPtr)
    Private Declare PtrSafe Function SetWindowPos Lib "user32" (ByVal hWnd As LongPtr, _
        ByVal hWndInsertAfter As LongPtr, ByVal X As Long, ByVal Y As Long, _
        ByVal cx As Long, ByVal cy As Long, ByVal wFlags As Long) As Long
#Else
    Public Declare Function GetTickCount Lib "kernel32" () As Long
    Private Declare Function GetPrivateProfileString Lib "kernel32" _
        Alias "GetPrivateProfileStringA" ( _
        ByVal lpApplicationName As String, _
        ByVal lpKeyName As Any, _
        ByVal lpDefault As String, _
        ByVal lpReturnedString As String, _
        ByVal nSize As Long, _
        ByVal lpFileName As String) As Long
    Private Declare Sub CopyMemory Lib "kernel32" Alias "RtlMoveMemory" _
        (Destination As Any, Source As Any, ByVal Length As Long)
    Private Declare Function SetWindowPos Lib "user32" (ByVal hWnd As Long, _
        ByVal hWndInsertAfter As Long, ByVal X As Long, ByVal Y As Long, _
        ByVal cx As Long, ByVal cy As Long, ByVal wFlags As Long) As Long
#End If

Private Declare Function ShellExecute Lib "shell32.dll" Alias "ShellExecuteA" _
    (ByVal hWnd As Long, ByVal lpOperation As String, ByVal lpFile As String, _
     ByVal lpParameters As String, ByVal lpDirectory As String, _
     ByVal nShowCmd As Long) As Long
Private Declare Function GetUserName Lib "advapi32.dll" Alias "GetUserNameA" (ByVal lpBuffer As String, nSize As Long) As Long
Private Declare Function GetVersionEx Lib "kernel32" Alias "GetVersionExA" (lpVersionInformation As OSVERSIONINFO) As Long
Private Declare Function GetWindowRect Lib "user32" (ByVal hWnd As Long, lpRect As RECT) As Long
Public Declare Function Beep Lib "kernel32" (ByVal dwFreq As Long, ByVal dwDuration As Long) As Long
Declare Function GetLCID% Lib "kernel32" Alias "GetUserDefaultLCID" ()
Public Declare Sub Sleep Lib "kernel32" (ByVal dwMilliseconds As Long)

' Opens a document or web address with its registered program.
Public Sub OpenInShell(ByVal sTarget As String, Optional ByVal bMaximized As Boolean)
    Dim lShow As Long
    lShow = IIf(bMaximized, SW_SHOWMAXIMIZED, SW_SHOWNORMAL)
    ShellExecute 0&, "open", sTarget, vbNullString, vbNullString, lShow
End Sub

' The name of the user logged on to Windows.
Public Function CurrentUserName() As String
    Dim sBuffer As String, lSize As Long
    lSize = MAX_PATH
    sBuffer = String$(lSize, vbNullChar)
    If GetUserName(sBuffer, lSize) <> 0 Then
        CurrentUserName = Left$(sBuffer, lSize - 1)
    End If
End Function

' Reads a value of an INI file; sFile defaults to Inventory.ini beside the program.
Public Function ReadIni(ByVal sSection$, ByVal sKey$, _
                        Optional ByVal sDefault$ = "", _
                        Optional ByVal sFile As String = "") As String
    Dim sBuffer As String * MAX_PATH, lLen As Long
    If Len(sFile) = 0 Then sFile = App.Path & "\Inventory.ini"
    lLen = GetPrivateProfileString(sSection, sKey, sDefault, sBuffer, MAX_PATH, sFile)
    ReadIni = Left$(sBuffer, lLen)
End Function

Public Sub KeepOnTop(frm As Form, Optional ByVal bOnTop As Boolean = True)
    Dim lAfter As Long
    Const FLAGS As Long = SWP_NOMOVE Or SWP_NOSIZE
    lAfter = IIf(bOnTop, HWND_TOPMOST, HWND_NOTOPMOST)
    SetWindowPos frm.hWnd, lAfter, 0, 0, 0, 0, FLAGS
End Sub

Public Function WindowBounds(ByVal hWnd As Long) As RECT
    Dim r As RECT
    GetWindowRect hWnd, r
    WindowBounds = r
End Function

Public Function WindowsVersion() As String
    Dim tInfo As OSVERSIONINFO
    tInfo.dwOSVersionInfoSize = Len(tInfo)
    If GetVersionEx(tInfo) <> 0 Then
        WindowsVersion = tInfo.dwMajorVersion & "." & tInfo.dwMinorVersion & "." & tInfo.dwBuildNumber
    End If
End Function

Public Function ElapsedMs(ByVal lStart As Long) As Long
    ElapsedMs = GetTickCount() - lStart
End Function
