Attribute VB_Name = "modUtil"
'---------------------------------------------------------------------------
' modUtil - small helpers shared by the forms and classes.
' (This file was last saved by a Unix editor: its lines end in LF only.)
'---------------------------------------------------------------------------
Option Explicit

Public Const vbLightYellow As Long = &HC0FFFF, vbPaleRed As Long = &HC0C0FF
Private Const FMT_QTY = "#,##0"
Private Const EPSILON As Double = 1E-06
Private Const LOG_FILE$ = "Inventory.log"

Private mLogOpen As Boolean, mLogFile%

' The value, or vDefault when the value is Null or Empty.
Public Function Nz(ByVal vValue As Variant, Optional ByVal vDefault As Variant = "") As Variant
    If IsNull(vValue) Or IsEmpty(vValue) Then
        Nz = vDefault
    Else
        Nz = vValue
    End If
End Function

Public Function IsBlank(v) As Boolean
    IsBlank = (Len(Trim$(Nz(v, ""))) = 0)
End Function

Public Function PadRight(ByVal sText As String, ByVal lWidth As Long, _
                         Optional ByVal sFill As String = " ") As String
    If Len(sText) >= lWidth Then
        PadRight = Left$(sText, lWidth)
    Else
        PadRight = sText & String$(lWidth - Len(sText), sFill)
    End If
End Function

Public Function Pad$(ByVal s$, ByVal n%)
    Pad = Right$(Space$(n) & s, n)
End Function

Public Function QtyText(ByVal lQty As Long) As String
    QtyText = Format$(lQty, FMT_QTY)
End Function

Public Function SafeDivide(ByVal dNum As Double, ByVal dDen As Double) As Double
    If Abs(dDen) < EPSILON Then Exit Function
    SafeDivide = dNum / dDen
End Function

Public Function Max&(ByVal a&, ByVal b&)
    If a > b Then Max = a Else Max = b
End Function

' Splits "HW-01234" into "HW" and 1234.
Function SplitSku(ByVal sSku As String, sPrefix As String, lNumber As Long) As Boolean
    Dim iDash As Integer
    iDash = InStr(sSku, "-")
    If iDash = 0 Then Exit Function
    sPrefix = Left$(sSku, iDash - 1)
    lNumber = Val(Mid$(sSku, iDash + 1))
    SplitSku = True
End Function

Public Sub CenterForm(frm As Form, Optional ByVal frmParent As Form = Nothing)
    If frmParent Is Nothing Then
        frm.Move (Screen.Width - frm.Width) \ 2, (Screen.Height - frm.Height) \ 2
    Else
        frm.Move frmParent.Left + (frmParent.Width - frm.Width) \ 2, _
                 frmParent.Top + (frmParent.Height - frm.Height) \ 2
    End If
End Sub

Public Function ColorFor(ByVal eState As InvStockState, _
                         Optional ByVal lDefault As Long = &H8000000F) As Long
    Select Case eState
        Case stkLow: ColorFor = rcLow
        Case stkOut: ColorFor = rcOut
        Case stkDiscontinued: ColorFor = rcDiscontinued
        Case Else: ColorFor = lDefault
    End Select
End Function

Public Sub ApplyFont(lbl As Object, Optional ByVal eStyle As InvFontStyle = fsBold Or fsItalic Or fsUnderline)
    lbl.FontBold = (eStyle And fsBold) <> 0
    lbl.FontItalic = (eStyle And fsItalic) <> 0
    lbl.FontUnderline = (eStyle And fsUnderline) <> 0
End Sub

Public Sub LogLine(ParamArray vParts() As Variant)
    Dim i As Long, sLine As String
    If Not mLogOpen Then
        mLogFile = FreeFile
        Open App.Path & "\" & LOG_FILE For Append As #mLogFile
        mLogOpen = True
    End If
    sLine = Format$(Now, "yyyy-mm-dd hh:nn:ss")
    For i = LBound(vParts) To UBound(vParts)
        sLine = sLine & vbTab & vParts(i)
    Next i
    Print #mLogFile, sLine
End Sub

Public Sub CloseLog()
    If mLogOpen Then Close #mLogFile
    mLogOpen = False
End Sub
