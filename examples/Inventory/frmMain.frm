VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0"; "MSCOMCTL.OCX"
Object = "{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0"; "comdlg32.ocx"
Begin VB.Form frmMain 
   Caption         =   "Inventory"
   ClientHeight    =   6480
   ClientLeft      =   165
   ClientTop       =   855
   ClientWidth     =   9600
   Icon            =   "frmMain.frx":0000
   LinkTopic       =   "Form1"
   ScaleHeight     =   6480
   ScaleWidth      =   9600
   StartUpPosition =   3  'Windows Default
   Begin MSComDlg.CommonDialog dlgFile 
      Left            =   8880
      Top             =   120
      _ExtentX        =   847
      _ExtentY        =   847
      _Version        =   393216
      DefaultExt      =   "dat"
      Filter          =   "Inventory export (*.dat)|*.dat|All files (*.*)|*.*"
   End
   Begin VB.Timer tmrClock 
      Interval        =   1000
      Left            =   8400
      Top             =   120
   End
   Begin VB.TextBox txtFilter 
      Height          =   315
      Left            =   1200
      TabIndex        =   1
      Top             =   120
      Width           =   3015
   End
   Begin MSComctlLib.ListView lvwItems 
      Height          =   4815
      Left            =   120
      TabIndex        =   2
      Top             =   600
      Width           =   9375
      _ExtentX        =   16536
      _ExtentY        =   8493
      View            =   3
      LabelEdit       =   1
      LabelWrap       =   -1  'True
      HideSelection   =   0   'False
      FullRowSelect   =   -1  'True
      GridLines       =   -1  'True
      _Version        =   393217
      ForeColor       =   -2147483640
      BackColor       =   -2147483643
      BorderStyle     =   1
      Appearance      =   1
      NumItems        =   4
      BeginProperty ColumnHeader(1) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         Text            =   "SKU"
         Object.Width           =   2117
      EndProperty
      BeginProperty ColumnHeader(2) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         SubItemIndex    =   1
         Text            =   "Description"
         Object.Width           =   7056
      EndProperty
      BeginProperty ColumnHeader(3) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         Alignment       =   1
         SubItemIndex    =   2
         Text            =   "On hand"
         Object.Width           =   2117
      EndProperty
      BeginProperty ColumnHeader(4) {BDD1F052-858B-11D1-B16A-00C0F0283628} 
         Alignment       =   1
         SubItemIndex    =   3
         Text            =   "Price"
         Object.Width           =   2117
      EndProperty
   End
   Begin MSComctlLib.StatusBar sbStatus 
      Align           =   2  'Align Bottom
      Height          =   375
      Left            =   0
      TabIndex        =   3
      Top             =   6105
      Width           =   9600
      _ExtentX        =   16933
      _ExtentY        =   661
      _Version        =   393216
      BeginProperty Panels {8E3867A5-8586-11D1-B16A-00C0F0283628} 
         NumPanels       =   2
         BeginProperty Panel1 {8E3867AB-8586-11D1-B16A-00C0F0283628} 
            AutoSize        =   1
            Object.Width           =   13811
            Text            =   "Ready"
            TextSave        =   "Ready"
         EndProperty
         BeginProperty Panel2 {8E3867AB-8586-11D1-B16A-00C0F0283628} 
            Style           =   5
            TextSave        =   "14:05"
         EndProperty
      EndProperty
   End
   Begin VB.Label lblFilter 
      Caption         =   "&Find:"
      Height          =   255
      Left            =   120
      TabIndex        =   0
      Top             =   165
      Width           =   975
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuFileNew 
         Caption         =   "&New Item..."
         Shortcut        =   ^N
      End
      Begin VB.Menu mnuFileExport 
         Caption         =   "&Export..."
      End
      Begin VB.Menu mnuFileSep1 
         Caption         =   "-"
      End
      Begin VB.Menu mnuFileExit 
         Caption         =   "E&xit"
      End
   End
   Begin VB.Menu mnuItem 
      Caption         =   "&Item"
      Begin VB.Menu mnuItemEdit 
         Caption         =   "&Edit..."
         Shortcut        =   {F2}
      End
      Begin VB.Menu mnuItemDelete 
         Caption         =   "&Delete"
         Shortcut        =   {DEL}
      End
      Begin VB.Menu mnuItemLow 
         Caption         =   "Show &Low Stock"
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
      Begin VB.Menu mnuHelpAbout 
         Caption         =   "&About Inventory..."
      End
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' frmMain - the item list
'---------------------------------------------------------------------------
Option Explicit

Private Const COL_SKU = 0, COL_DESCRIPTION = 1, COL_QUANTITY = 2, COL_PRICE = 3

Private WithEvents mInventory As clsInventory
Attribute mInventory.VB_VarHelpID = -1
Private mSortColumn As Integer, mSortDescending As Boolean

Public Sub UpdateCaption()
    Me.Caption = APP_TITLE & IIf(IsDirty, " *", "")
End Sub

Public Sub RefreshList(Optional ByVal sFilter As String = "")
    Dim oItem As clsItem, li As ListItem
    lvwItems.ListItems.Clear
    For Each oItem In gInventory
        If Len(sFilter) = 0 Or InStr(1, oItem.Description, sFilter, vbTextCompare) > 0 Then
            Set li = lvwItems.ListItems.Add(, oItem.Sku, oItem.Sku)
            li.SubItems(COL_DESCRIPTION) = oItem.Description
            li.SubItems(COL_QUANTITY) = QtyText(oItem.Quantity)
            li.SubItems(COL_PRICE) = FormatPrice(oItem.UnitPrice)
            li.ForeColor = ColorFor(oItem.State, vbWindowText)
        End If
    Next oItem
    sbStatus.Panels(1).Text = lvwItems.ListItems.Count & " items"
End Sub

Private Sub Form_Load()
    Set mInventory = gInventory
    UpdateCaption
    RefreshList
End Sub

Private Sub Form_Resize()
    If Me.WindowState = vbMinimized Then Exit Sub
    lvwItems.Move 120, 600, ScaleWidth - 240, ScaleHeight - 600 - sbStatus.Height - 120
End Sub

Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    If IsDirty Then
        Select Case MsgBox("Save changes before closing?", vbYesNoCancel Or vbQuestion, APP_TITLE)
            Case vbYes: mnuFileExport_Click
            Case vbCancel: Cancel = True
        End Select
    End If
End Sub

Private Sub Form_Unload(Cancel As Integer)
    CloseLog
    Set mInventory = Nothing
End Sub

Private Sub lvwItems_ColumnClick(ByVal ColumnHeader As MSComctlLib.ColumnHeader)
    If mSortColumn = ColumnHeader.Index - 1 Then
        mSortDescending = Not mSortDescending
    Else
        mSortColumn = ColumnHeader.Index - 1
        mSortDescending = False
    End If
    lvwItems.SortKey = mSortColumn
    lvwItems.SortOrder = IIf(mSortDescending, lvwDescending, lvwAscending)
    lvwItems.Sorted = True
End Sub

Private Sub lvwItems_DblClick()
    mnuItemEdit_Click
End Sub

Private Sub mInventory_ItemAdded(ByVal Item As clsItem)
    IsDirty = True
End Sub

Private Sub mInventory_ItemRemoved(ByVal Sku As String)
    IsDirty = True
End Sub

Private Sub mnuFileExit_Click()
    Unload Me
End Sub

Private Sub mnuFileExport_Click()
    Dim lCount As Long
    On Error GoTo Cancelled
    dlgFile.CancelError = True
    dlgFile.FileName = EXPORT_FILE
    dlgFile.ShowSave
    lCount = ExportInventory(dlgFile.FileName)
    sbStatus.Panels(1).Text = lCount & " items exported"
    IsDirty = False
Cancelled:
End Sub

Private Sub mnuFileNew_Click()
    Dim oItem As New clsItem
    If frmItem.EditItem(oItem, True) Then
        gInventory.Add oItem.Sku, oItem.Description, oItem.Quantity, oItem.UnitPrice
        RefreshList txtFilter.Text
    End If
End Sub

Private Sub mnuItemEdit_Click()
    If lvwItems.SelectedItem Is Nothing Then Exit Sub
    If frmItem.EditItem(gInventory(lvwItems.SelectedItem.Key)) Then
        IsDirty = True
        RefreshList txtFilter.Text
    End If
End Sub

Private Sub mnuItemDelete_Click()
    Const PROMPT = "Delete the selected item?"
    If lvwItems.SelectedItem Is Nothing Then Exit Sub
    If MsgBox(PROMPT, vbYesNo Or vbQuestion, APP_TITLE) = vbYes Then
        gInventory.Remove lvwItems.SelectedItem.Key
        RefreshList txtFilter.Text
    End If
End Sub

Private Sub mnuItemLow_Click()
    Dim colLow As Collection
    Set colLow = gInventory.LowStock()
    sbStatus.Panels(1).Text = colLow.Count & " items at or below reorder level"
End Sub

Private Sub mnuHelpAbout_Click()
    frmAbout.Show vbModal, Me
End Sub

Private Sub tmrClock_Timer()
    sbStatus.Panels(2).Text = Format$(Time, "hh:nn")
End Sub

Private Sub txtFilter_Change()
    RefreshList txtFilter.Text
End Sub
