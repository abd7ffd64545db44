// The progress window: an upper gradient panel with the texts and the levelled bar,
// a lower one with Pause and Cancel. Positions in pixels at 96 dots per inch; font
// heights are character heights in pixels (negative, as in a LOGFONT).
object InstProgressForm: TInstProgressForm
  BorderStyle = bsSizeable
  BorderIcons = [biSystemMenu, biMinimize, biMaximize]
  Caption = 'Installation Progress'
  ClientWidth = 447
  ClientHeight = 170
  Color = clMaroon
  Font.Name = 'Tahoma'
  Font.Height = -11
  Font.Color = clWindowText
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  object AdvPanel2: TAdvPanel
    Left = 0
    Top = 129
    Width = 447
    Height = 41
    Align = alBottom
    BevelOuter = bvRaised
    Color = clRed
    ColorTo = clMaroon
    GradientDirection = gdVertical
    BorderColor = clBlack
    Font.Name = 'Tahoma'
    Font.Height = -13
    Font.Color = clWhite
    Font.Style = [fsBold]
    object btnPause: TAdvToolButton
      Left = 54
      Top = 6
      Width = 114
      Height = 26
      Caption = 'Pause'
      AccessKey = 'P'
      Color = clRed
      ColorTo = clBlack
      ColorHot = clRed
      ColorHotTo = $00018CE9
      ColorDown = $00018CE9
      ColorDownTo = clRed
      BorderColor = clNone
      BorderHotColor = clNone
      BorderDownColor = clNone
      Rounded = True
      Flat = True
      AutoThemeAdapt = False
      OnClick = btnPauseClick
      Default = True
    end
    object btnCancel: TAdvToolButton
      Left = 267
      Top = 6
      Width = 114
      Height = 26
      Caption = 'Cancel'
      AccessKey = 'C'
      Color = clRed
      ColorTo = clBlack
      ColorHot = clRed
      ColorHotTo = $00018CE9
      ColorDown = $00018CE9
      ColorDownTo = clRed
      BorderColor = clNone
      BorderHotColor = clNone
      BorderDownColor = clNone
      Rounded = True
      Flat = True
      AutoThemeAdapt = False
      OnClick = btnCancelClick
      Default = True
      Cancel = True
    end
  end
  object AdvPanel1: TAdvPanel
    Left = 0
    Top = 0
    Width = 447
    Height = 129
    Align = alClient
    BevelOuter = bvRaised
    Color = clRed
    ColorTo = clMaroon
    ColorMirrorTo = clMaroon
    GradientDirection = gdVertical
    BorderColor = clBlack
    Font.Name = 'Tahoma'
    Font.Height = -13
    Font.Color = clWhite
    Font.Style = [fsBold]
    object lbStage: TLabel
      Left = 8
      Top = 10
      Caption = 'lbStage'
      Transparent = True
    end
    object lbProgramName: TLabel
      Left = 0
      Top = 41
      Caption = 'lbProgramName'
      Color = clRed
      Transparent = False
      Font.Name = 'Tahoma'
      Font.Height = -15
      Font.Color = clWhite
      Font.Style = [fsBold]
    end
    object lbFileName: TLabel
      Left = 10
      Top = 75
      Caption = 'lbFileName'
      Transparent = True
    end
    object lbFiles: TLabel
      Left = 368
      Top = 73
      Caption = 'Files:  0'
      Transparent = True
    end
    object pbar: TAdvProgressBar
      Left = 8
      Top = 92
      Width = 433
      Height = 18
      Min = 0
      Max = 100
      Position = 50
      ShowBorder = True
      Rounded = True
      Font.Name = 'Verdana'
      Font.Height = -13
      Font.Color = clWindowText
      Font.Style = []
    end
    object lbStatus: TLabel
      Left = 0
      Top = 113
      Caption = 'lbStatus'
      Transparent = True
    end
  end
end
