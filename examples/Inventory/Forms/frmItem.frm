VERSION 5.00
Begin VB.Form frmItem 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Item"
   ClientHeight    =   4335
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   6015
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   4335
   ScaleWidth      =   6015
   ShowInTaskbar   =   0   'False
   StartUpPosition =   1  'CenterOwner
   Begin VB.CommandButton cmdCancel 
      Cancel          =   -1  'True
      Caption         =   "Cancel"
      Height          =   375
      Left            =   4680
      TabIndex        =   12
      Top             =   3840
      Width           =   1215
   End
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   3360
      TabIndex        =   11
      Top             =   3840
      Width           =   1215
   End
   Begin VB.Frame fraBins 
      Caption         =   "Bin locations"
      Height          =   1095
      Left            =   120
      TabIndex        =   6
      Top             =   2520
      Width           =   5775
      Begin VB.TextBox txtBin 
         Height          =   315
         Index           =   0
         Left            =   240
         TabIndex        =   7
         Top             =   480
         Width           =   1095
      End
      Begin VB.TextBox txtBin 
         Height          =   315
         Index           =   1
         Left            =   1560
         TabIndex        =   8
         Top             =   480
         Width           =   1095
      End
      Begin VB.CheckBox chkDiscontinued 
         Caption         =   "&Discontinued"
         Height          =   255
         Left            =   3120
         TabIndex        =   9
         Top             =   510
         Width           =   1935
      End
   End
   Begin Inventory.ctlQuantity qtyOnHand 
      Height          =   375
      Left            =   1560
      TabIndex        =   5
      Top             =   1440
      Width           =   1815
      _ExtentX        =   3201
      _ExtentY        =   661
      Max             =   99999
   End
   Begin VB.ComboBox cboUnit 
      Height          =   315
      ItemData        =   "frmItem.frx":0000
      Left            =   3960
      List            =   "frmItem.frx":0010
      Style           =   2  'Dropdown List
      TabIndex        =   10
      Top             =   1440
      Width           =   1935
   End
   Begin VB.TextBox txtPrice 
      Alignment       =   1  'Right Justify
      Height          =   315
      Left            =   1560
      TabIndex        =   4
      Top             =   1920
      Width           =   1815
   End
   Begin VB.TextBox txtDescription 
      Height          =   315
      Left            =   1560
      MaxLength       =   40
      TabIndex        =   3
      Top             =   960
      Width           =   4335
   End
   Begin VB.TextBox txtSku 
      Height          =   315
      Left            =   1560
      MaxLength       =   12
      TabIndex        =   1
      Top             =   480
      Width           =   1815
   End
   Begin VB.Label lblPrice 
      Caption         =   "Unit &price:"
      Height          =   255
      Left            =   120
      TabIndex        =   13
      Top             =   1950
      Width           =   1335
   End
   Begin VB.Label lblQuantity 
      Caption         =   "&On hand:"
      Height          =   255
      Left            =   120
      TabIndex        =   14
      Top             =   1500
      Width           =   1335
   End
   Begin VB.Label lblDescription 
      Caption         =   "&Description:"
      Height          =   255
      Left            =   120
      TabIndex        =   2
      Top             =   1005
      Width           =   1335
   End
   Begin VB.Label lblSku 
      Caption         =   "&SKU:"
      Height          =   255
      Left            =   120
      TabIndex        =   0
      Top             =   525
      Width           =   1335
   End
End
Attribute VB_Name = "frmItem"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' frmItem - edits one stock item
'---------------------------------------------------------------------------
Option Explicit

Private mItem As clsItem
Private mOK As Boolean, mIsNew As Boolean

' Shows the dialog for the item; True when the user pressed OK.
Public Function EditItem(oItem As clsItem, Optional ByVal bIsNew As Boolean = False) As Boolean
    Set mItem = oItem
    mIsNew = bIsNew
    mOK = False
    Me.Show vbModal
    EditItem = mOK
    Set mItem = Nothing
End Function

Private Sub Form_Load()
    Dim i As Integer
    Caption = IIf(mIsNew, "New Item", "Item " & mItem.Sku)
    txtSku.Text = mItem.Sku
    txtSku.Locked = Not mIsNew
    txtDescription.Text = mItem.Description
    qtyOnHand.Value = mItem.Quantity
    txtPrice.Text = Format$(mItem.UnitPrice, "0.00")
    For i = txtBin.LBound To txtBin.UBound
        txtBin(i).Text = mItem.Bin(i + 1)
    Next i
    chkDiscontinued.Value = IIf(mItem.Discontinued, vbChecked, vbUnchecked)
    If cboUnit.ListCount > 0 Then cboUnit.ListIndex = 0
End Sub

Private Function Validate(sMessage As String) As Boolean
    If IsBlank(txtSku.Text) Then
        sMessage = "Please enter a SKU."
    ElseIf Not IsNumeric(txtPrice.Text) Then
        sMessage = "The unit price must be a number."
    ElseIf mIsNew And gInventory.Exists(txtSku.Text) Then
        sMessage = "An item with this SKU exists already."
    Else
        Validate = True
    End If
End Function

Private Sub cmdOK_Click()
    Dim sMessage As String, i As Integer
    If Not Validate(sMessage) Then
        MsgBox sMessage, vbExclamation
        Exit Sub
    End If
    mItem.Sku = txtSku.Text
    mItem.Description = txtDescription.Text
    mItem.Quantity = qtyOnHand.Value
    mItem.UnitPrice = CCur(txtPrice.Text)
    For i = txtBin.LBound To txtBin.UBound
        mItem.Bin(i + 1) = Val(txtBin(i).Text)
    Next i
    mItem.Discontinued = (chkDiscontinued.Value = vbChecked)
    mOK = True
    Unload Me
End Sub

Private Sub cmdCancel_Click()
    Unload Me
End Sub

Private Sub qtyOnHand_Overflow(ByVal lAttempted As Long)
    Beep 440, 120
End Sub

Private Sub txtPrice_KeyPress(KeyAscii As Integer)
    Const ALLOWED = "0123456789.,"
    If KeyAscii >= 32 And InStr(ALLOWED, Chr$(KeyAscii)) = 0 Then KeyAscii = 0
End Sub
