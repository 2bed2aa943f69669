{ SbSerialDevice: one serial line for the port service of SbSerialPort, raw 8N1: a COM port on Windows (Delphi or
  Free Pascal), a termios device on POSIX (Free Pascal). One exchange writes the driver's bytes and reads the
  answer until it is complete, its first byte does not come in time or the line goes quiet; every wait is bounded. }
unit SbSerialDevice;

{$IFDEF FPC}
  {$MODE DELPHI}
{$ENDIF}
{$IF not Defined(MSWINDOWS) and not Defined(FPC)}
  {$MESSAGE ERROR 'SbSerialDevice: POSIX devices need Free Pascal'}
{$IFEND}

interface

uses
{$IFDEF MSWINDOWS}
  Windows,
{$ELSE}
  BaseUnix, TermIO,
{$ENDIF}
  SysUtils;

const
  DefaultTurnaroundMs = 50; { how long a dispenser may take to begin its answer; every unanswered exchange costs it }
  GapMs = 50; { the quiet time after a byte that ends an answer which does not end itself }
  WriteMs = 1000; { how long the device may take the bytes to send, beyond their time on the line }
  MaxBlock = 24; { STX, 21 data bytes, ETB or ETX, check byte }

type
  TSbSerialDevice = class
  private
    FName: string;
    FTurnaroundMs: Cardinal;
    FBaud: Cardinal;
    FError: string;
{$IFDEF MSWINDOWS}
    FHandle: THandle;
    FTimeouts: TCommTimeouts; { as the port has them, once set }
    FTimeoutsSet: Boolean;
    function UseTimeouts(const Wanted: TCommTimeouts): Boolean;
{$ELSE}
    FFd: cint;
{$ENDIF}
    function IsOpen: Boolean;
    function Open: Boolean;
    function ApplySpeed(Baud: Cardinal): Boolean;
    procedure Discard;
    function WriteAll(Data: PByte; Count, TimeoutMs: Cardinal): Boolean;
    { 1 with the byte in B, 0 when none came within TimeoutMs, -1 when the device failed }
    function ReadByte(out B: Byte; TimeoutMs: Cardinal): Integer;
    function Failed(const What: string): Boolean;
  public
    constructor Create(const Name: string; TurnaroundMs: Cardinal = DefaultTurnaroundMs);
    destructor Destroy; override;
    { Raw 8N1 at Baud (2400 or 9600), opening the device first when it is not open; False with Error otherwise. }
    function SetUp(Baud: Cardinal): Boolean;
    procedure Close;
    { Writes Buffer[0..SendCount), then reads the answer over the buffer's start, at most Limit bytes. False with
      Error when the device failed; an answer that did not come is no failure (Received 0). }
    function Exchange(Buffer: PByte; SendCount, Limit: Cardinal; out Received: Cardinal): Boolean;
    property Baud: Cardinal read FBaud; { 0 until set up }
    property Error: string read FError;
  end;

{ True when Answer[0..Count) is a whole answer, so that the reading stops at once instead of waiting out the gap:
  EOT; NAK; DLE and one more byte; STX up to the check byte after its ETB or ETX (or MaxBlock bytes); or Limit
  bytes, whatever they are (the T10 unit's 4-byte counter answer). }
function AnswerComplete(Answer: PByte; Count, Limit: Cardinal): Boolean;
{ Milliseconds Count bytes take on the line at Baud, 10 bits a byte, rounded up. }
function TransmitMs(Baud, Count: Cardinal): Cardinal;

implementation

const
  STX = $02;
  ETX = $03;
  EOT = $04;
  DLE = $10;
  NAK = $15;
  ETB = $17;

function AnswerComplete(Answer: PByte; Count, Limit: Cardinal): Boolean;
var
  I: Cardinal;
begin
  Result := True;
  if Count >= Limit then
    Exit;
  if Count > 0 then
    case Answer[0] of
      EOT, NAK: Exit;
      DLE: if Count >= 2 then Exit;
      STX:
        begin
          if Count >= MaxBlock then
            Exit;
          if Count >= 3 then
            for I := 1 to Count - 2 do { ETB or ETX, and its check byte after it }
              if Answer[I] in [ETB, ETX] then
                Exit;
        end;
    end;
  Result := False; { nothing yet, or not an answer of the protocol: what comes until the gap }
end;

function TransmitMs(Baud, Count: Cardinal): Cardinal;
begin
  Result := (Count * 10 * 1000 + Baud - 1) div Baud;
end;

constructor TSbSerialDevice.Create(const Name: string; TurnaroundMs: Cardinal);
begin
  inherited Create;
  FName := Name;
  FTurnaroundMs := TurnaroundMs;
{$IFDEF MSWINDOWS}
  FHandle := INVALID_HANDLE_VALUE;
{$ELSE}
  FFd := -1;
{$ENDIF}
end;

destructor TSbSerialDevice.Destroy;
begin
  Close;
  inherited Destroy;
end;

function TSbSerialDevice.Failed(const What: string): Boolean;
begin
  FError := Format('%s: %s', [FName, What]);
  Result := False;
end;

function TSbSerialDevice.SetUp(Baud: Cardinal): Boolean;
begin
  if (Baud <> 2400) and (Baud <> 9600) then
    Exit(Failed(Format('%d baud cannot be set', [Baud])));
  Result := (IsOpen or Open) and ApplySpeed(Baud);
  if Result then
    FBaud := Baud;
end;

function TSbSerialDevice.Exchange(Buffer: PByte; SendCount, Limit: Cardinal; out Received: Cardinal): Boolean;
var
  WaitMs: Cardinal;
  B: Byte;
begin
  Received := 0;
  Discard;
  if not WriteAll(Buffer, SendCount, TransmitMs(FBaud, SendCount) + WriteMs) then
    Exit(False);
  { The first byte may come once the driver's bytes and the answer's first byte have crossed the line. }
  WaitMs := TransmitMs(FBaud, SendCount) + FTurnaroundMs + TransmitMs(FBaud, 1);
  while not AnswerComplete(Buffer, Received, Limit) do { each round reads a byte or ends }
    case ReadByte(B, WaitMs) of
      -1: Exit(False);
      0: Break; { quiet: what came is the answer, nothing when nothing came }
    else
      Buffer[Received] := B;
      Inc(Received);
      WaitMs := GapMs; { or the turnaround when it is longer: what holds an answer back holds its bytes back too }
      if FTurnaroundMs > WaitMs then
        WaitMs := FTurnaroundMs;
    end;
  Result := True;
end;

{$IFDEF MSWINDOWS}

function TSbSerialDevice.IsOpen: Boolean;
begin
  Result := FHandle <> INVALID_HANDLE_VALUE;
end;

function TSbSerialDevice.Open: Boolean;
begin
  FHandle := CreateFile(PChar('\\.\' + FName), GENERIC_READ or GENERIC_WRITE, 0, nil, OPEN_EXISTING, 0, 0);
  FTimeoutsSet := False;
  Result := IsOpen or Failed(SysErrorMessage(GetLastError));
end;

{ Sets the port's time-outs only when they change: each setting is a call into the system. }
function TSbSerialDevice.UseTimeouts(const Wanted: TCommTimeouts): Boolean;
var
  Copy: TCommTimeouts;
begin
  if FTimeoutsSet and CompareMem(@FTimeouts, @Wanted, SizeOf(Wanted)) then
    Exit(True);
  Copy := Wanted;
  Result := SetCommTimeouts(FHandle, Copy) or Failed(SysErrorMessage(GetLastError));
  FTimeouts := Wanted;
  FTimeoutsSet := Result;
end;

function TSbSerialDevice.ApplySpeed(Baud: Cardinal): Boolean;
var
  Dcb: TDCB;
begin
  FillChar(Dcb, SizeOf(Dcb), 0);
  Dcb.DCBlength := SizeOf(Dcb);
  Dcb.BaudRate := Baud;
  Dcb.Flags := 1; { binary only: no flow control, DTR and RTS off }
  Dcb.ByteSize := 8;
  Dcb.Parity := NOPARITY;
  Dcb.StopBits := ONESTOPBIT;
  Result := SetCommState(FHandle, Dcb) or Failed(SysErrorMessage(GetLastError));
end;

procedure TSbSerialDevice.Close;
begin
  if IsOpen then
    CloseHandle(FHandle);
  FHandle := INVALID_HANDLE_VALUE;
  FBaud := 0;
end;

procedure TSbSerialDevice.Discard;
begin
  PurgeComm(FHandle, PURGE_RXCLEAR);
end;

function TSbSerialDevice.WriteAll(Data: PByte; Count, TimeoutMs: Cardinal): Boolean;
var
  Timeouts: TCommTimeouts;
  Written: DWORD;
begin
  Timeouts := FTimeouts;
  Timeouts.WriteTotalTimeoutMultiplier := 0;
  Timeouts.WriteTotalTimeoutConstant := TimeoutMs;
  if not UseTimeouts(Timeouts) then
    Exit(False);
  Result := WriteFile(FHandle, Data^, Count, Written, nil) and (Written = Count);
  if not Result then
    Failed(Format('the line took no bytes for %d ms', [TimeoutMs]));
end;

function TSbSerialDevice.ReadByte(out B: Byte; TimeoutMs: Cardinal): Integer;
var
  Timeouts: TCommTimeouts;
  Got: DWORD;
begin
  { A read of one byte that returns when it came, or after TimeoutMs; all three 0 would wait for ever, an interval
    of MAXDWORD alone returns at once. }
  Timeouts := FTimeouts;
  Timeouts.ReadIntervalTimeout := 0;
  if TimeoutMs = 0 then
    Timeouts.ReadIntervalTimeout := MAXDWORD;
  Timeouts.ReadTotalTimeoutMultiplier := 0;
  Timeouts.ReadTotalTimeoutConstant := TimeoutMs;
  if not UseTimeouts(Timeouts) then
    Exit(-1);
  if not ReadFile(FHandle, B, 1, Got, nil) then
  begin
    Failed(SysErrorMessage(GetLastError));
    Exit(-1);
  end;
  Result := Got;
end;

{$ELSE}

function TSbSerialDevice.IsOpen: Boolean;
begin
  Result := FFd >= 0;
end;

function TSbSerialDevice.Open: Boolean;
begin
  { O_NOCTTY: never the host's controlling terminal; O_NONBLOCK: every wait is a select with a timeout. }
  FFd := FpOpen(PChar(FName), O_RDWR or O_NOCTTY or O_NONBLOCK);
  Result := IsOpen or Failed(SysErrorMessage(fpgeterrno));
end;

function TSbSerialDevice.ApplySpeed(Baud: Cardinal): Boolean;
var
  Tios: Termios;
  Speed: Cardinal;
begin
  if TCGetAttr(FFd, Tios) <> 0 then
    Exit(Failed(SysErrorMessage(fpgeterrno)));
  CFMakeRaw(Tios);
  Tios.c_cflag := (Tios.c_cflag and not (CSTOPB or PARENB or CRTSCTS)) or CS8 or CLOCAL or CREAD;
  Tios.c_cc[VMIN] := 0; { a read returns what is there: select does the waiting }
  Tios.c_cc[VTIME] := 0;
  if Baud = 9600 then
    Speed := B9600
  else
    Speed := B2400;
  CFSetISpeed(Tios, Speed);
  CFSetOSpeed(Tios, Speed);
  Result := (TCSetAttr(FFd, TCSANOW, Tios) = 0) or Failed(SysErrorMessage(fpgeterrno));
end;

procedure TSbSerialDevice.Close;
begin
  if IsOpen then
    FpClose(FFd);
  FFd := -1;
  FBaud := 0;
end;

procedure TSbSerialDevice.Discard;
begin
  TCFlush(FFd, TCIFLUSH);
end;

{ True when the device is ready for Events within TimeoutMs. }
function Ready(Fd: cint; Writing: Boolean; TimeoutMs: Cardinal): Boolean;
var
  Set_: TFDSet;
  Timeout: TTimeVal;
begin
  fpFD_ZERO(Set_);
  fpFD_SET(Fd, Set_);
  Timeout.tv_sec := TimeoutMs div 1000;
  Timeout.tv_usec := (TimeoutMs mod 1000) * 1000;
  if Writing then
    Result := FpSelect(Fd + 1, nil, @Set_, nil, @Timeout) > 0
  else
    Result := FpSelect(Fd + 1, @Set_, nil, nil, @Timeout) > 0;
end;

function TSbSerialDevice.WriteAll(Data: PByte; Count, TimeoutMs: Cardinal): Boolean;
var
  Deadline, Now: QWord;
  Written: TSsize;
begin
  Deadline := GetTickCount64 + TimeoutMs;
  while Count > 0 do { each round writes a byte or more, or waits for room until the one deadline }
  begin
    Written := FpWrite(FFd, Data^, Count);
    if Written > 0 then
    begin
      Inc(Data, Written);
      Dec(Count, Written);
      Continue;
    end;
    Now := GetTickCount64;
    if (fpgeterrno <> ESysEAGAIN) or (Now >= Deadline) or not Ready(FFd, True, Deadline - Now) then
      Exit(Failed(Format('the line took no bytes for %d ms', [TimeoutMs])));
  end;
  Result := True;
end;

function TSbSerialDevice.ReadByte(out B: Byte; TimeoutMs: Cardinal): Integer;
var
  Got: TSsize;
begin
  if not Ready(FFd, False, TimeoutMs) then
    Exit(0);
  Got := FpRead(FFd, B, 1);
  if Got = 1 then
    Exit(1);
  if (Got < 0) and (fpgeterrno = ESysEAGAIN) then
    Exit(0); { said readable, gave nothing: taken as quiet }
  if Got = 0 then
    Failed('the line was closed')
  else
    Failed(SysErrorMessage(fpgeterrno));
  Result := -1;
end;

{$ENDIF}

end.
