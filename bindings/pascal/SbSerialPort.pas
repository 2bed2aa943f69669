{ SbSerialPort: a port service over serial devices for Delphi and Free Pascal hosts, the object a host lends the
  driver (GetVM30's Port). Point n is served on the device added for line n, raw 8N1 at the speed the driver asks
  for: a COM port on Windows, a termios device on POSIX (SbSerialDevice). The guide's section "The port service" is
  the contract it keeps.

  The driver calls the slots on the thread that called it, one point's slots from one thread at a time; each line
  has a record of its own, so the object takes no lock. No exception may leave a slot into the library: every slot
  catches them and reports a failed exchange. }
unit SbSerialPort;

{$IFDEF FPC}
  {$MODE DELPHI}
{$ENDIF}

interface

uses
  SysUtils, SbDriver, SbSerialDevice;

const
  MaxAnswer = 255; { the driver's exchange buffer }
  LineGood = 1; { slot 4 }
  LineNoAnswer = 2;
  PortFailed = -1; { results of slots 1, 16 and 17 }
  NoSuchLine = -2;
  UnsupportedSpeed = -3;
  DeviceFailed = -4;
  T10LineMark = 7; { the speed code's top byte on a line with a T10 counting unit }

type
  TSbSerialPortService = class;

  { What the driver holds: the table first, then the service it belongs to. }
  TSbPortObject = record
    Vtbl: PSbPortServiceVtbl;
    Owner: TSbSerialPortService;
  end;

  TSbLine = record
    Device: TSbSerialDevice; { nil: the point has no line }
    Receive: TSbReceiveHandler;
    Setup: TSbLineSetupHandler;
    Status: Cardinal;
    Error: string;
  end;

  TSbSerialPortService = class
  private
    FObject: TSbPortObject;
    FLines: array[1..32] of TSbLine;
    function Line(Point: Cardinal): Boolean;
    function SendReceive(Point: Cardinal; Buffer: PByte; SendCount, ReplySize: Cardinal): Integer;
    function Configure(Point, SpeedCode: Cardinal): Integer;
  public
    constructor Create;
    destructor Destroy; override;
    { Serves Point (1..32) on the serial device Name (COM1, /dev/ttyUSB0); opened when the driver sets it up. }
    procedure AddLine(Point: Cardinal; const Name: string; TurnaroundMs: Cardinal = DefaultTurnaroundMs);
    { GetVM30's Port argument. Keep the service as long as the driver: the whole process. }
    function Port: PSbPortService;
    { The host got the point's line back (a serial adapter was plugged in again): closes its device and has the
      driver set it up again through its line-setup handler. The handler's result; NoSuchLine before OpenLine. }
    function SetUpAgain(Point: Cardinal): Integer;
    { Why the latest failed call on the point's line failed, '' when none did: for the host's own log. }
    function LastError(Point: Cardinal): string;
  end;

implementation

var
  PortVtbl: TSbPortServiceVtbl;

function Service(Self: PSbPortService): TSbSerialPortService;
begin
  Result := TSbPortObject(Pointer(Self)^).Owner;
end;

function PortErrorResult(Self: PSbPortService; Point: Cardinal): Integer; stdcall;
begin
  Result := PortFailed;
end;

function PortLineStatus(Self: PSbPortService; Point: Cardinal): Cardinal; stdcall;
begin
  Result := LineNoAnswer;
  if Service(Self).Line(Point) then
    Result := Service(Self).FLines[Point].Status;
end;

function PortSendReceive(Self: PSbPortService; Point: Cardinal; Send: PByte; SendCount: Cardinal; Receive: PByte;
  ReplySize, Zero: Cardinal): Integer; stdcall;
begin
  try
    Result := Service(Self).SendReceive(Point, Send, SendCount, ReplySize);
  except
    on E: Exception do
    begin
      if Service(Self).Line(Point) then
      begin
        Service(Self).FLines[Point].Status := LineNoAnswer;
        Service(Self).FLines[Point].Error := E.Message;
      end;
      Result := PortFailed;
    end;
  end;
end;

function PortConfigure(Self: PSbPortService; Point, Ten, SpeedCode: Cardinal): Integer; stdcall;
begin
  try
    Result := Service(Self).Configure(Point, SpeedCode);
  except
    Result := PortFailed;
  end;
end;

procedure PortSetReceiveHandler(Self: PSbPortService; Point: Cardinal; Handler: TSbReceiveHandler); stdcall;
begin
  if Service(Self).Line(Point) then
    Service(Self).FLines[Point].Receive := Handler;
end;

procedure PortSetLineSetupHandler(Self: PSbPortService; Point: Cardinal; Handler: TSbLineSetupHandler); stdcall;
begin
  if Service(Self).Line(Point) then
    Service(Self).FLines[Point].Setup := Handler;
end;

constructor TSbSerialPortService.Create;
var
  Point: Cardinal;
begin
  inherited Create;
  FObject.Vtbl := @PortVtbl;
  FObject.Owner := Self;
  for Point := Low(FLines) to High(FLines) do
    FLines[Point].Status := LineGood;
end;

destructor TSbSerialPortService.Destroy;
var
  Point: Cardinal;
begin
  for Point := Low(FLines) to High(FLines) do
    FLines[Point].Device.Free;
  inherited Destroy;
end;

procedure TSbSerialPortService.AddLine(Point: Cardinal; const Name: string; TurnaroundMs: Cardinal);
begin
  if not Line(Point) then
    raise ERangeError.CreateFmt('point %d: lines are 1..32', [Point]);
  FLines[Point].Device.Free;
  FLines[Point].Device := TSbSerialDevice.Create(Name, TurnaroundMs);
end;

function TSbSerialPortService.Port: PSbPortService;
begin
  Result := PSbPortService(@FObject);
end;

function TSbSerialPortService.Line(Point: Cardinal): Boolean;
begin
  Result := (Point >= Low(FLines)) and (Point <= High(FLines));
end;

function TSbSerialPortService.LastError(Point: Cardinal): string;
begin
  if not Line(Point) then
    Result := 'no such point'
  else if FLines[Point].Device = nil then
    Result := 'no device was given for the line'
  else
    Result := FLines[Point].Error;
end;

function TSbSerialPortService.SetUpAgain(Point: Cardinal): Integer;
begin
  Result := NoSuchLine;
  if not Line(Point) or (FLines[Point].Device = nil) or not Assigned(FLines[Point].Setup.Code) then
    Exit;
  FLines[Point].Device.Close;
  Result := FLines[Point].Setup.Code(FLines[Point].Setup.Data, Point);
end;

{ Slot 16. The status says "no answer" from the start, so that a failed exchange leaves it so: the driver reads
  slot 4 after every exchange, the failed ones too. }
function TSbSerialPortService.SendReceive(Point: Cardinal; Buffer: PByte; SendCount, ReplySize: Cardinal): Integer;
var
  Limit, Received: Cardinal;
  Count, Size: Byte;
begin
  if not Line(Point) then
    Exit(NoSuchLine);
  FLines[Point].Status := LineNoAnswer;
  if (FLines[Point].Device = nil) or (FLines[Point].Device.Baud = 0) then
  begin
    FLines[Point].Error := Format('line %d is not set up (no device, or it failed to open)', [Point]);
    if FLines[Point].Device = nil then
      Exit(NoSuchLine);
    Exit(DeviceFailed);
  end;
  if SendCount > MaxAnswer then
  begin
    FLines[Point].Error := Format('%d bytes to send: more than an exchange holds', [SendCount]);
    Exit(PortFailed);
  end;
  Limit := ReplySize;
  if Limit > MaxAnswer then
    Limit := MaxAnswer;
  { The answer goes over the sent bytes; what follows it stays. }
  if not FLines[Point].Device.Exchange(Buffer, SendCount, Limit, Received) then
  begin
    FLines[Point].Error := FLines[Point].Device.Error;
    Exit(DeviceFailed);
  end;
  if (Received > 0) or (Limit = 0) then
    FLines[Point].Status := LineGood;
  { Once in every exchange that returns 0: the driver learns the answer's length here. }
  if Assigned(FLines[Point].Receive.Code) then
  begin
    Count := Received;
    Size := Limit;
    FLines[Point].Receive.Code(FLines[Point].Receive.Data, Point, Buffer, 0, Count, Size);
  end;
  Result := 0;
end;

{ Slot 17: the speed code's low 16 bits are the baud, 2400 or 9600; its top byte is 0 on a dispenser line and 7 on
  a T10 line, both 8N1. }
function TSbSerialPortService.Configure(Point, SpeedCode: Cardinal): Integer;
var
  Mark: Cardinal;
begin
  if not Line(Point) or (FLines[Point].Device = nil) then
    Exit(NoSuchLine);
  Mark := SpeedCode shr 24;
  if ((SpeedCode and $00FF0000) <> 0) or ((Mark <> 0) and (Mark <> T10LineMark)) then
  begin
    FLines[Point].Error := Format('unsupported speed code 0x%.8X', [SpeedCode]);
    Exit(UnsupportedSpeed);
  end;
  if not FLines[Point].Device.SetUp(SpeedCode and $FFFF) then
  begin
    FLines[Point].Error := FLines[Point].Device.Error;
    Exit(DeviceFailed);
  end;
  FLines[Point].Error := '';
  Result := 0;
end;

initialization
  PortVtbl.ErrorResult := PortErrorResult;
  PortVtbl.LineStatus := PortLineStatus;
  PortVtbl.SendReceive := PortSendReceive;
  PortVtbl.Configure := PortConfigure;
  PortVtbl.SetReceiveHandler := PortSetReceiveHandler;
  PortVtbl.SetLineSetupHandler := PortSetLineSetupHandler;
end.
