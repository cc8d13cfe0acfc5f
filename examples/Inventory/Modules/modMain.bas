Attribute VB_Name = "modMain"
'---------------------------------------------------------------------------
' modMain - start-up code, application-wide state and the record layout
'           of the inventory export file.
'---------------------------------------------------------------------------
Option Explicit
Option Compare Text

Public Const APP_TITLE As String = "Inventory"
Public Const APP_REGKEY = "Software\Example Hardware\Inventory"
Public Const DB_FILE = "Inventory.mdb", EXPORT_FILE = "Inventory.dat"
Private Const MAX_ITEMS As Long = 5000, MAX_BINS As Integer = 4
Const DEFAULT_REORDER% = 10, DEFAULT_MARKUP# = 1.35
Private Const FILE_SIGNATURE As String = "INV1", _
              FILE_VERSION As Integer = 3

' Stock state of an item. [_First] and [_Last] are hidden from IntelliSense
' and let loops walk every state.
Public Enum InvStockState
    [_First] = 0
    stkInStock = 0
    stkLow = 1
    stkOut = 2
    stkDiscontinued = &H10
    [_Last] = &H10
End Enum

' Row colours of the item list.
Public Enum InvRowColor
    rcNormal = &H80000008
    rcLow = &H80FF&
    rcOut = &HC0&
    rcDiscontinued = &H808080
End Enum

Public Enum InvFontStyle
    fsRegular = 0
    fsBold = 1
    fsItalic = 2
    fsUnderline = 4
End Enum

' One record of the export file: fixed-length strings and a fixed array.
Public Type InvItemRecord
    Sku As String * 12
    Description As String * 40
    Quantity As Long
    UnitPrice As Currency
    Reorder As Integer
    Bins(1 To MAX_BINS) As Integer
    State As InvStockState
    Flags As Byte
    Updated As Date
End Type

Private Type InvFileHeader
    Signature As String * 4
    Version As Integer
    Count As Long
    Created As Date
    Reserved(15) As Byte
End Type

Public gInventory As clsInventory
Public gCurrentUser$, gSessionStart As Date
Public gConnection As ADODB.Connection, gReadOnly As Boolean
Private mDirty As Boolean
Dim mLastError
Private mRecords() As InvItemRecord

Public Sub Main()
    Dim sDbPath As String, lCount&
    Dim i
    Const SPLASH_DELAY = 1500

    If App.PrevInstance Then
        MsgBox APP_TITLE & " is already running.", vbInformation
        Exit Sub
    End If

    gSessionStart = Now
    gCurrentUser = CurrentUserName()
    sDbPath = App.Path & "\" & DB_FILE
    Set gInventory = New clsInventory
    If Not LoadInventory(sDbPath, False, lCount) Then
        MsgBox "The inventory database could not be opened:" & vbCrLf & sDbPath, vbExclamation
    End If
    For i = 1 To 3
        DoEvents
    Next i
    frmMain.Show
End Sub

' Opens the database and fills gInventory. lCount receives the number of
' items read; bReadOnly opens the database without write access.
Public Function LoadInventory(ByVal sPath As String, _
                              Optional ByVal bReadOnly As Boolean = False, _
                              Optional ByRef lCount As Long = -1) As Boolean
    Dim rs As ADODB.Recordset, oItem As clsItem
    Dim sSql As String
    Const ERR_NOFILE As Long = vbObjectError + 1001

    On Error GoTo Failed
    If Len(Dir$(sPath)) = 0 Then Err.Raise ERR_NOFILE, "LoadInventory", "File not found"
    Set gConnection = New ADODB.Connection
    gConnection.Mode = IIf(bReadOnly, adModeRead, adModeReadWrite)
    gConnection.Open "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" & sPath
    gReadOnly = bReadOnly
    sSql = "SELECT Sku, Description, Quantity, UnitPrice, Reorder FROM Items ORDER BY Sku"
    Set rs = gConnection.Execute(sSql)
    lCount = 0
    Do Until rs.EOF
        Set oItem = gInventory.Add(rs!Sku, rs!Description & "", rs!Quantity, rs!UnitPrice)
        oItem.Reorder = Nz(rs!Reorder, DEFAULT_REORDER)
        lCount = lCount + 1
        rs.MoveNext
    Loop
    rs.Close
    LoadInventory = True
    Exit Function
Failed:
    mLastError = Err.Description
    LoadInventory = False
End Function

' Writes every item to the fixed-record export file.
Public Function ExportInventory(ByVal sPath As String) As Long
    Dim hFile As Integer, tHeader As InvFileHeader, tRec As InvItemRecord
    Dim oItem As clsItem, lWritten As Long, _
        iBin As Integer

    hFile = FreeFile
    Open sPath For Binary Access Write As #hFile
    tHeader.Signature = FILE_SIGNATURE
    tHeader.Version = FILE_VERSION
    tHeader.Count = gInventory.Count
    tHeader.Created = Now
    Put #hFile, , tHeader
    For Each oItem In gInventory
        tRec.Sku = oItem.Sku
        tRec.Description = oItem.Description
        tRec.Quantity = oItem.Quantity
        tRec.UnitPrice = oItem.UnitPrice
        tRec.Reorder = oItem.Reorder
        For iBin = 1 To MAX_BINS
            tRec.Bins(iBin) = oItem.Bin(iBin)
        Next iBin
        tRec.State = oItem.State
        tRec.Updated = Now
        Put #hFile, , tRec
        lWritten = lWritten + 1
        If lWritten >= MAX_ITEMS Then Exit For
    Next oItem
    Close #hFile
    ExportInventory = lWritten
End Function

' Formats an amount with the currency symbol of the store.
Public Function FormatPrice$(ByVal cPrice@, Optional sSymbol$ = "$")
    FormatPrice = sSymbol & Format$(cPrice, "#,##0.00")
End Function

Public Function RetailPrice(ByVal cCost As Currency, _
                            Optional ByVal dMarkup As Double = DEFAULT_MARKUP) As Currency
    RetailPrice = CCur(cCost * dMarkup)
End Function

' Forgets all unsaved changes of the session.
Public Sub Reset()
    Dim lBefore
    lBefore = gInventory.Count
    gInventory.Reset
    mDirty = False
    mLastError = Empty
    Const RESET_MESSAGE = "Inventory reset"
End Sub

Public Property Get IsDirty() As Boolean
    IsDirty = mDirty
End Property

Public Property Let IsDirty(ByVal bValue As Boolean)
    mDirty = bValue
    If Not frmMain Is Nothing Then frmMain.UpdateCaption
End Property

Public Property Get LastError() As String
    LastError = mLastError & ""
End Property
