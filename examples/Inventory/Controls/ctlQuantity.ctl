VERSION 5.00
Begin VB.UserControl ctlQuantity 
   ClientHeight    =   375
   ClientLeft      =   0
   ClientTop       =   0
   ClientWidth     =   1815
   PropertyPages   =   "ctlQuantity.ctx":0000
   ScaleHeight     =   375
   ScaleWidth      =   1815
   Begin VB.VScrollBar vsbSpin 
      Height          =   375
      Left            =   1560
      Max             =   0
      Min             =   32767
      TabIndex        =   1
      TabStop         =   0   'False
      Top             =   0
      Width           =   255
   End
   Begin VB.TextBox txtValue 
      Alignment       =   1  'Right Justify
      Height          =   375
      Left            =   0
      TabIndex        =   0
      Text            =   "0"
      Top             =   0
      Width           =   1560
   End
End
Attribute VB_Name = "ctlQuantity"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
'---------------------------------------------------------------------------
' ctlQuantity - a text box with a spin button for whole quantities
'---------------------------------------------------------------------------
Option Explicit

Public Enum QtyBorderStyle
    qbsNone = 0
    qbsFixedSingle = 1
End Enum

Public Event Change()
Public Event Overflow(ByVal lAttempted As Long)

' Default property values.
Private Const m_def_Value = 0, m_def_Min = 0, m_def_Max = 99999
Private Const m_def_BorderStyle = qbsFixedSingle

Private m_Value As Long, m_Min As Long, m_Max As Long
Private m_BorderStyle As QtyBorderStyle
Private mUpdating As Boolean

Public Property Get Value() As Long
Attribute Value.VB_UserMemId = 0
    Value = m_Value
End Property

Public Property Let Value(ByVal lNew As Long)
    If lNew < m_Min Or lNew > m_Max Then
        RaiseEvent Overflow(lNew)
        Exit Property
    End If
    m_Value = lNew
    mUpdating = True
    txtValue.Text = CStr(m_Value)
    mUpdating = False
    PropertyChanged "Value"
    RaiseEvent Change
End Property

Public Property Get Min() As Long
    Min = m_Min
End Property

Public Property Let Min(ByVal lNew As Long)
    m_Min = lNew
    PropertyChanged "Min"
End Property

Public Property Get Max() As Long
    Max = m_Max
End Property

Public Property Let Max(ByVal lNew As Long)
    m_Max = lNew
    PropertyChanged "Max"
End Property

Public Property Get BorderStyle() As QtyBorderStyle
    BorderStyle = m_BorderStyle
End Property

Public Property Let BorderStyle(ByVal eNew As QtyBorderStyle)
    m_BorderStyle = eNew
    UserControl.BorderStyle = eNew
    PropertyChanged "BorderStyle"
End Property

Public Property Get Font() As StdFont
    Set Font = txtValue.Font
End Property

Public Property Set Font(ByVal fntNew As StdFont)
    Set txtValue.Font = fntNew
    PropertyChanged "Font"
End Property

#If VBA7 Then
Public Property Get hWnd() As LongPtr
    hWnd = UserControl.hWnd
End Property
#Else
Public Property Get hWnd() As Long
    hWnd = UserControl.hWnd
End Property
#End If

Private Sub txtValue_Change()
    If mUpdating Then Exit Sub
    If IsNumeric(txtValue.Text) Then Value = CLng(txtValue.Text)
End Sub

Private Sub vsbSpin_Change()
    Value = vsbSpin.Value
End Sub

Private Sub UserControl_InitProperties()
    m_Value = m_def_Value
    m_Min = m_def_Min
    m_Max = m_def_Max
    m_BorderStyle = m_def_BorderStyle
End Sub

Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    m_Value = PropBag.ReadProperty("Value", m_def_Value)
    m_Min = PropBag.ReadProperty("Min", m_def_Min)
    m_Max = PropBag.ReadProperty("Max", m_def_Max)
    m_BorderStyle = PropBag.ReadProperty("BorderStyle", m_def_BorderStyle)
    Set txtValue.Font = PropBag.ReadProperty("Font", Ambient.Font)
    txtValue.Text = CStr(m_Value)
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    Call PropBag.WriteProperty("Value", m_Value, m_def_Value)
    Call PropBag.WriteProperty("Min", m_Min, m_def_Min)
    Call PropBag.WriteProperty("Max", m_Max, m_def_Max)
    Call PropBag.WriteProperty("BorderStyle", m_BorderStyle, m_def_BorderStyle)
    Call PropBag.WriteProperty("Font", txtValue.Font, Ambient.Font)
End Sub

Private Sub UserControl_Resize()
    txtValue.Move 0, 0, ScaleWidth - vsbSpin.Width, ScaleHeight
    vsbSpin.Move ScaleWidth - vsbSpin.Width, 0, vsbSpin.Width, ScaleHeight
End Sub
