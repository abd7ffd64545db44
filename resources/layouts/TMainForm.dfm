// The main window: a gradient strip on the left, two pages without tabs on the right
// (welcome page, folder page). Positions in pixels at 96 dots per inch; font heights
// are character heights in pixels (negative, as in a LOGFONT).
object MainForm: TMainForm
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  Caption = 'MainForm'
  ClientWidth = 685
  ClientHeight = 400
  Color = clRed
  Font.Name = 'Tahoma'
  Font.Height = -15
  Font.Color = clWhite
  Font.Style = []
  Position = poScreenCenter
  OnCreate = FormCreate
  object AdvPanel1: TAdvPanel
    Left = 0
    Top = 0
    Width = 185
    Height = 400
    Align = alLeft
    BevelOuter = bvNone
    Color = $00004DFF
    ColorTo = clMaroon
    GradientDirection = gdVertical
    BorderColor = clBlack
    Cursor = crDrag
    Font.Name = 'Tahoma'
    Font.Height = -16
    Font.Color = clWhite
    Font.Style = [fsBold]
    object Image1: TImage
      Left = 38
      Top = 19
      Width = 105
      Height = 105
    end
    object Label14: TLabel
      Left = 42
      Top = 165
      Caption = 'INSTALLING'
      Transparent = True
    end
    object Label15: TLabel
      Left = 40
      Top = 205
      Caption = 'Corvane'#174
      Transparent = True
    end
    object lbP1Progname: TLabel
      Left = 0
      Top = 253
      Caption = 'lbP1Progname'
      Transparent = True
    end
    object lbP1ProgVer: TLabel
      Left = 0
      Top = 293
      Caption = 'lbP1ProgVer'
      Transparent = True
    end
  end
  object PageControl1: TPageControl
    Left = 185
    Top = 0
    Width = 500
    Height = 400
    Align = alClient
    object TabSheet1: TTabSheet
      TabVisible = False
      object JvGradient1: TJvGradient
        Align = alClient
        Style = grPyramid
        StartColor = clMaroon
        EndColor = clRed
        Steps = 100
      end
      object lbIns1: TLabel
        Left = 0
        Top = 13
        Caption = 'lbIns1'
        Transparent = True
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clYellow
        Font.Style = [fsBold]
      end
      object lbIns2: TLabel
        Left = 0
        Top = 34
        Caption = 'lbIns2'
        Transparent = True
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clYellow
        Font.Style = [fsBold]
      end
      object lbDetails: TLabel
        Left = 51
        Top = 252
        Caption = 'Click SETUP to install this program, CANCEL to close'
        Transparent = True
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clYellow
        Font.Style = [fsBold]
      end
      object Label13: TLabel
        Left = 51
        Top = 272
        Caption = 'without installing.'
        Transparent = True
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clYellow
        Font.Style = [fsBold]
      end
      object btnSetup: TAdvToolButton
        Left = 102
        Top = 332
        Width = 73
        Height = 22
        Caption = 'Setup'
        AccessKey = 'S'
        Color = clRed
        ColorTo = clMaroon
        ColorHot = clMaroon
        ColorHotTo = clBlack
        ColorDown = $00D8D3D2
        ColorDownTo = clNone
        BorderColor = clNone
        BorderHotColor = clNone
        BorderDownColor = clNone
        Rounded = False
        Flat = True
        AutoThemeAdapt = False
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clWhite
        Font.Style = [fsBold]
        OnClick = btnSetupClick
        Default = True
      end
      object btnCancel: TAdvToolButton
        Left = 321
        Top = 332
        Width = 73
        Height = 22
        Caption = 'Cancel'
        AccessKey = 'C'
        Color = clRed
        ColorTo = clMaroon
        ColorHot = clMaroon
        ColorHotTo = clBlack
        ColorDown = $00D8D3D2
        ColorDownTo = clNone
        BorderColor = clNone
        BorderHotColor = clNone
        BorderDownColor = clNone
        Rounded = False
        Flat = True
        AutoThemeAdapt = False
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clWhite
        Font.Style = [fsBold]
        OnClick = btnCancelClick
        Cancel = True
      end
    end
    object TabSheet2: TTabSheet
      TabVisible = False
      object JvGradient2: TJvGradient
        Align = alClient
        Style = grVertical
        StartColor = clMaroon
        EndColor = clRed
        Steps = 100
      end
      object Label10: TLabel
        Left = 63
        Top = 13
        Caption = 'Install Folder:'
        Transparent = True
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clSilver
        Font.Style = []
      end
      object edInstallDir: TEdit
        Left = 64
        Top = 35
        Width = 287
        Height = 26
        CharCase = ecLowerCase
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clBlack
        Font.Style = []
      end
      object btnBrowse: TAdvToolButton
        Left = 354
        Top = 37
        Width = 73
        Height = 22
        Caption = 'Browse'
        AccessKey = 'B'
        Color = clRed
        ColorTo = clMaroon
        ColorHot = clMaroon
        ColorHotTo = clBlack
        ColorDown = $00D8D3D2
        ColorDownTo = clNone
        BorderColor = clNone
        BorderHotColor = clNone
        BorderDownColor = clNone
        Rounded = False
        Flat = True
        AutoThemeAdapt = False
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clWhite
        Font.Style = [fsBold]
        OnClick = btnBrowseClick
      end
      object btnInstall: TAdvToolButton
        Left = 209
        Top = 341
        Width = 73
        Height = 22
        Caption = 'Install'
        AccessKey = 'I'
        Color = clRed
        ColorTo = clMaroon
        ColorHot = clMaroon
        ColorHotTo = clBlack
        ColorDown = $00D8D3D2
        ColorDownTo = clNone
        BorderColor = clNone
        BorderHotColor = clNone
        BorderDownColor = clNone
        Rounded = False
        Flat = True
        AutoThemeAdapt = False
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clWhite
        Font.Style = [fsBold]
        OnClick = btnInstallClick
        Default = True
      end
      object BtnCancel2: TAdvToolButton
        Left = 343
        Top = 341
        Width = 73
        Height = 22
        Caption = 'Cancel'
        AccessKey = 'C'
        Color = clRed
        ColorTo = clMaroon
        ColorHot = clMaroon
        ColorHotTo = clBlack
        ColorDown = $00D8D3D2
        ColorDownTo = clNone
        BorderColor = clNone
        BorderHotColor = clNone
        BorderDownColor = clNone
        Rounded = False
        Flat = True
        AutoThemeAdapt = False
        Font.Name = 'Tahoma'
        Font.Height = -15
        Font.Color = clWhite
        Font.Style = [fsBold]
        OnClick = btnCancelClick
        Cancel = True
      end
    end
  end
end
